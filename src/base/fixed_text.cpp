#include "base/fixed_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/format.hpp"
#include "base/text_file.hpp"

namespace kestrova {

std::string FixedFormat(int width, int decimals) {
    if (decimals < 0) decimals = 0;
    std::string f = "%";
    if (width > 0) f += std::to_string(width);
    return f + "." + std::to_string(decimals) + "f";
}

namespace {

constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::uint64_t kIntPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99": the digits go two at a time.
constexpr char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The number of decimal digits of x.
int DigitCount(std::uint32_t x) {
    return 1 + (x >= 10) + (x >= 100) + (x >= 1000) + (x >= 10000) + (x >= 100000) + (x >= 1000000) +
           (x >= 10000000) + (x >= 100000000) + (x >= 1000000000u);
}

// Writes exactly `count` digits of n (zeros in front) ending at `end`.
void WriteDigits(char* end, std::uint32_t n, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, kTwoDigits + 2 * (n % 100), 2);
        n /= 100;
    }
    if (count > 0) *--end = static_cast<char>('0' + n % 10);
}

// n split before its last digits (a constant divisor: no division).
template <std::uint32_t Unit>
void SplitAt(std::uint32_t n, std::uint32_t& whole, std::uint32_t& decimal) {
    whole = n / Unit;
    decimal = n % Unit;
}

// Where |value| x 10^decimals lies against k + 0.5, exactly: -1 below,
// 0 on it, 1 above; 2 when this cannot tell (a value too small). The
// double is m x 2^e exactly, so the test is m x 2 x 10^decimals against
// (2k + 1) x 2^-e in 128-bit integers.
int CompareWithTie(double value, int decimals, std::uint32_t k) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0) return 2;  // zero or subnormal: not near a tie
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int e = biased - 1075;
    __extension__ using U128 = unsigned __int128;
    const U128 lhs = static_cast<U128>(m) * (2 * kIntPow10[decimals]);
    const U128 tie = 2 * static_cast<U128>(k) + 1;  // below 2^31
    if (e >= 0 || e < -90) return 2;  // (the values here are below 2^30)
    const U128 rhs = tie << -e;
    return lhs < rhs ? -1 : lhs > rhs ? 1 : 0;
}

// Blanks up to `width` in front of a text of `len` characters at dest:
// the first kFixedBlankRun in one fixed-size store (the room allows it).
std::size_t WriteBlanks(char* dest, std::size_t len, std::size_t width) {
    const std::size_t pad = width > len ? width - len : 0;
    std::memset(dest, ' ', kFixedBlankRun);
    if (pad > kFixedBlankRun) std::memset(dest, ' ', pad);
    return pad;
}

// The general code: the text of "%.*f" rounded exactly (to_chars), and
// the rule of the values too large for their fixed form.
std::string GeneralFixedText(double value, int decimals, std::size_t width) {
    std::string big = OutOfRangeFixedText(value, decimals, static_cast<int>(width));
    if (!big.empty()) return big;
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    std::string text;
    if (r.ec != std::errc()) {
        text = FormatFixed(value, decimals);
    } else {
        std::string_view t(buf, static_cast<std::size_t>(r.ptr - buf));
        if (!t.empty() && t[0] == '-' && t.find_first_of("123456789", 1) == std::string_view::npos &&
            t.find_first_of("0", 1) != std::string_view::npos)
            t.remove_prefix(1);  // never "-0.000"
        text = t;
    }
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

}  // namespace

std::size_t WriteFixedInPlace(char* dest, double value, int decimals, std::size_t width) {
    // |value| x 10^decimals below 1e9: its product's own rounding error
    // (below 1e-7) cannot change the correctly rounded digits unless it
    // lies within 1e-6 of a rounding tie, which is then settled exactly
    // (an exact tie goes to the even digit, as printf does).
    if (decimals < 0 || decimals > 9) return 0;
    const double magnitude = std::fabs(value);
    const double scaled = magnitude * kPow10[decimals];
    if (!(scaled < 1e9)) return 0;
    const auto truncated = static_cast<std::uint32_t>(scaled);  // floor: scaled >= 0
    const double frac = scaled - static_cast<double>(truncated);
    std::uint32_t n = truncated + (frac > 0.5 ? 1 : 0);
    if (std::fabs(frac - 0.5) < 1e-6) {
        const int side = CompareWithTie(magnitude, decimals, truncated);
        if (side == 2) return 0;
        n = truncated + (side > 0 || (side == 0 && (truncated & 1)) ? 1 : 0);
    }
    const bool negative = value < 0 && n != 0;  // never "-0.000"

    std::uint32_t whole = n, decimal = 0;
    switch (decimals) {
        case 1: SplitAt<10>(n, whole, decimal); break;
        case 2: SplitAt<100>(n, whole, decimal); break;
        case 3: SplitAt<1000>(n, whole, decimal); break;
        case 4: SplitAt<10000>(n, whole, decimal); break;
        case 5: SplitAt<100000>(n, whole, decimal); break;
        case 6: SplitAt<1000000>(n, whole, decimal); break;
        case 7: SplitAt<10000000>(n, whole, decimal); break;
        case 8: SplitAt<100000000>(n, whole, decimal); break;
        case 9: SplitAt<1000000000>(n, whole, decimal); break;
        default: break;
    }
    const int wholeDigits = DigitCount(whole);
    const std::size_t len = (negative ? 1u : 0u) + static_cast<std::size_t>(wholeDigits) +
                            (decimals > 0 ? 1u + static_cast<std::size_t>(decimals) : 0u);
    const std::size_t pad = WriteBlanks(dest, len, width);
    char* end = dest + pad + len;
    if (decimals > 0) {
        WriteDigits(end, decimal, decimals);
        end -= decimals;
        *--end = '.';
    }
    WriteDigits(end, whole, wholeDigits);
    if (negative) dest[pad] = '-';
    return pad + len;
}

std::size_t WriteIntInPlace(char* dest, long long value, std::size_t width) {
    char digits[24];
    std::size_t len;
    if (value >= 0 && value <= 0xFFFFFFFFLL) {
        const auto n = static_cast<std::uint32_t>(value);
        len = static_cast<std::size_t>(DigitCount(n));
        WriteDigits(digits + len, n, static_cast<int>(len));
    } else {
        len = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    }
    const std::size_t pad = WriteBlanks(dest, len, width);
    std::memcpy(dest + pad, digits, len);
    return pad + len;
}

void AppendFixed(std::string& out, double value, int decimals, std::size_t width) {
    if (width <= kFixedBlankRun) {
        char buf[kFixedRoom];
        if (const std::size_t n = WriteFixedInPlace(buf, value, decimals, width)) {
            out.append(buf, n);
            return;
        }
    }
    out += GeneralFixedText(value, decimals, width);
}

void AppendFixedGeneral(std::string& out, double value, int decimals, std::size_t width) {
    out += GeneralFixedText(value, decimals, width);
}

void AppendInt(std::string& out, long long value, std::size_t width) {
    if (width > kFixedBlankRun) {
        const std::string digits = std::to_string(value);
        if (digits.size() < width) out.append(width - digits.size(), ' ');
        out += digits;
        return;
    }
    char buf[kFixedRoom];
    out.append(buf, WriteIntInPlace(buf, value, width));
}

std::size_t CharCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

void AppendPadRight(std::string& out, std::string_view text, std::size_t width) {
    out.append(text);
    const std::size_t n = CharCount(text);
    if (n < width) out.append(width - n, ' ');
}

void AppendPadLeft(std::string& out, std::string_view text, std::size_t width) {
    const std::size_t n = CharCount(text);
    if (n < width) out.append(width - n, ' ');
    out.append(text);
}

std::string FixedText(double value, int decimals, std::size_t width) {
    std::string s;
    AppendFixed(s, value, decimals, width);
    return s;
}

std::string PathWithoutExt(const std::string& path) {
    return path.substr(0, path.size() - ExtractFileExt(path).size());
}

}  // namespace kestrova
