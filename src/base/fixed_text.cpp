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

using fixed_detail::EightDigitValues;
using fixed_detail::kPow10;
using fixed_detail::kZeros;
constexpr std::uint64_t kIntPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99": the digits go two at a time.
constexpr char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint32_t kIntPow10_32[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// The number of decimal digits of x (1 for 0): from the bit length.
int DigitCount(std::uint32_t x) {
    const int t = ((32 - __builtin_clz(x | 1)) * 1233) >> 12;  // log10 from log2, maybe one too many
    return t + 1 - ((x | 1) < kIntPow10_32[t]);
}

// n / 10^d for n < 2^30 without a division: n x ceil(2^(30+L) / 10^d)
// >> (30 + L), L the bit length of 10^d, is exact on that range.
struct TReciprocal {
    std::uint64_t multiplier;
    int shift;
};
constexpr TReciprocal MakeReciprocal(int d) {
    std::uint64_t divisor = 1;
    for (int i = 0; i < d; ++i) divisor *= 10;
    int bits = 0;
    while ((std::uint64_t(1) << bits) < divisor) ++bits;
    const int shift = 30 + bits;
    return {((std::uint64_t(1) << shift) + divisor - 1) / divisor, shift};
}
constexpr TReciprocal kReciprocal[] = {MakeReciprocal(0), MakeReciprocal(1), MakeReciprocal(2), MakeReciprocal(3),
                                       MakeReciprocal(4), MakeReciprocal(5), MakeReciprocal(6), MakeReciprocal(7),
                                       MakeReciprocal(8), MakeReciprocal(9)};

__extension__ using U128 = unsigned __int128;

std::uint64_t EightDigits(std::uint32_t x) { return EightDigitValues(x) + kZeros; }

// The ten digits of n (zeros in front) as the bytes of a 16-byte word,
// the first digit in the lowest byte. Kept in registers, with no store
// for a later load to wait on.
U128 TenDigits(std::uint32_t n) {
    std::uint16_t top;
    std::memcpy(&top, kTwoDigits + 2 * (n / 100000000), 2);  // n < 2^32: below 43
    return top | static_cast<U128>(EightDigits(n % 100000000)) << 16;
}

// Where |value| x 10^decimals lies against k + 0.5, exactly: -1 below,
// 0 on it, 1 above; 2 when this cannot tell (a value too small). The
// double is m x 2^e exactly, so the test is m x 2 x 10^decimals against
// (2k + 1) x 2^-e in 128-bit integers.
[[gnu::noinline]] int CompareWithTie(double value, int decimals, std::uint32_t k) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0) return 2;  // zero or subnormal: not near a tie
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int e = biased - 1075;
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
    if (pad > kFixedBlankRun) fixed_detail::WriteBlankRun(dest, pad);
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

// WriteFixedInPlace past its most common case: n, the rounded value x
// 10^decimals, below 2^30.
[[gnu::noinline]] std::size_t WriteWideFixed(char* dest, std::uint32_t n, bool negative, int decimals,
                                             std::size_t width) {
    if (decimals <= 8) {
        // The common case, whole part and decimals below 10^8: each as a
        // word of eight digits, the leading zeros shifted out of the whole
        // part; a few stores, the later ones over the unused bytes of the
        // earlier (the room allows it).
        const auto whole = static_cast<std::uint32_t>((n * kReciprocal[decimals].multiplier) >>
                                                      kReciprocal[decimals].shift);
        if (whole < 100000000) {
            const int wholeDigits = DigitCount(whole);
            const std::size_t len = (negative ? 1u : 0u) + static_cast<std::size_t>(wholeDigits) +
                                    (decimals > 0 ? 1u + static_cast<std::size_t>(decimals) : 0u);
            const std::size_t pad = WriteBlanks(dest, len, width);
            char* p = dest + pad;
            if (negative) *p++ = '-';
            const std::uint64_t w = EightDigits(whole) >> (8 * (8 - wholeDigits));
            std::memcpy(p, &w, 8);
            if (decimals > 0) {
                p += wholeDigits;
                *p++ = '.';
                const std::uint64_t f = EightDigits(n - whole * kIntPow10_32[decimals]) >> (8 * (8 - decimals));
                std::memcpy(p, &f, 8);
            }
            return pad + len;
        }
    }
    // The ten digits of n with the point before the last `decimals`,
    // shown from the first significant digit of the whole part (one at
    // least) and stored as one 16-byte word: the room allows it, and the
    // bytes past the text do not count.
    U128 text = TenDigits(n);
    if (decimals > 0) {
        const int at = 8 * (10 - decimals);
        const U128 whole = (static_cast<U128>(1) << at) - 1;
        text = (text & whole) | (static_cast<U128>('.') << at) | ((text & ~whole) << 8);
    }
    const int wholeDigits = std::max(DigitCount(n) - decimals, 1);
    const int first = 10 - decimals - wholeDigits;
    text >>= 8 * first;
    const std::size_t shown = static_cast<std::size_t>((decimals > 0 ? 11 : 10) - first);
    const std::size_t len = shown + (negative ? 1u : 0u);
    const std::size_t pad = WriteBlanks(dest, len, width);
    char* p = dest + pad;
    if (negative) *p++ = '-';
    std::memcpy(p, &text, 16);
    return pad + len;
}

}  // namespace

// Every value WriteFixedInPlace takes: |value| x 10^decimals below 1e9.
// Its product's own rounding error (below 1e-7) cannot change the
// correctly rounded digits unless it lies within 1e-6 of a rounding tie,
// which is then settled exactly (an exact tie goes to the even digit, as
// printf does).
std::size_t WriteAnyFixedInPlace(char* dest, double value, int decimals, std::size_t width) {
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
    if (decimals <= 7 && n < 100000000) return fixed_detail::WriteCommonFixed(dest, n, negative, decimals, width);
    return WriteWideFixed(dest, n, negative, decimals, width);
}

void fixed_detail::WriteBlankRun(char* dest, std::size_t n) { std::memset(dest, ' ', n); }

std::size_t WriteAnyIntInPlace(char* dest, long long value, std::size_t width) {
    if (value >= 0 && value <= 0xFFFFFFFFLL) {
        const auto n = static_cast<std::uint32_t>(value);
        const std::size_t len = static_cast<std::size_t>(DigitCount(n));
        const U128 text = TenDigits(n) >> (8 * (10 - len));
        const std::size_t pad = WriteBlanks(dest, len, width);
        std::memcpy(dest + pad, &text, 16);
        return pad + len;
    }
    if (value < 0 && value >= -0xFFFFFFFFLL) {  // a calibration number of -1, a negative count
        const auto n = static_cast<std::uint32_t>(-value);
        const std::size_t len = static_cast<std::size_t>(DigitCount(n)) + 1;
        const U128 text = TenDigits(n) >> (8 * (11 - len));
        const std::size_t pad = WriteBlanks(dest, len, width);
        dest[pad] = '-';
        std::memcpy(dest + pad + 1, &text, 16);
        return pad + len;
    }
    char digits[24];
    const std::size_t len = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
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
