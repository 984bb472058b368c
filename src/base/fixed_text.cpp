#include "base/fixed_text.hpp"

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

std::size_t CharCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

namespace {

constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// "00" to "99": the digits go two at a time.
constexpr char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of n backwards ending at `end`, at least `minDigits` of
// them (zeros in front); returns the first.
char* DigitsBackwards(char* end, std::uint32_t n, int minDigits) {
    char* q = end;
    while (n >= 100 || minDigits > 2) {
        q -= 2;
        std::memcpy(q, kTwoDigits + 2 * (n % 100), 2);
        n /= 100;
        minDigits -= 2;
    }
    if (n >= 10 || minDigits == 2) {
        q -= 2;
        std::memcpy(q, kTwoDigits + 2 * n, 2);
    } else {
        *--q = static_cast<char>('0' + n);
    }
    return q;
}

// The widest padding built in the local buffer; wider goes through append.
constexpr std::size_t kMaxLocalPad = 32;

// Appends the text ending at `end` and starting at `first`, blanks in front
// up to `width` characters; there is room for kMaxLocalPad blanks before it.
void AppendPadded(std::string& out, char* first, char* end, std::size_t width) {
    std::size_t len = static_cast<std::size_t>(end - first);
    if (width > len) {
        const std::size_t pad = width - len;
        if (pad <= kMaxLocalPad) {
            first -= pad;
            std::memset(first, ' ', pad);
            len = width;
        } else {
            out.append(pad, ' ');
        }
    }
    out.append(first, len);
}

// The common case without to_chars: |value| x 10^decimals below 1e9 and
// not within 1e-6 of a rounding tie, where the product's own rounding
// error (below 1e-7) cannot change the correctly rounded digits.
bool AppendFixedFast(std::string& out, double value, int decimals, std::size_t width) {
    if (decimals < 0 || decimals > 9) return false;
    const double scaled = std::fabs(value) * kPow10[decimals];
    if (!(scaled < 1e9)) return false;
    const auto truncated = static_cast<std::uint32_t>(scaled);  // floor: scaled >= 0
    const double frac = scaled - static_cast<double>(truncated);
    if (std::fabs(frac - 0.5) < 1e-6) return false;
    const std::uint32_t n = truncated + (frac > 0.5 ? 1 : 0);
    const bool negative = value < 0 && n != 0;  // never "-0.000"

    char buf[kMaxLocalPad + 24];
    char* const end = buf + sizeof buf;
    char* first;
    if (decimals == 0) {
        first = DigitsBackwards(end, n, 1);
    } else {
        // All digits (one at least before the point), then the whole part
        // moved one place to the left for the point.
        first = DigitsBackwards(end, n, decimals + 1);
        const std::size_t whole = static_cast<std::size_t>(end - first) - static_cast<std::size_t>(decimals);
        std::memmove(first - 1, first, whole);
        --first;
        first[whole] = '.';
    }
    if (negative) *--first = '-';
    AppendPadded(out, first, end, width);
    return true;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals, std::size_t width) {
    if (AppendFixedFast(out, value, decimals, width)) return;
    const std::string big = OutOfRangeFixedText(value, decimals, static_cast<int>(width));
    if (!big.empty()) {
        out += big;
        return;
    }
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    if (r.ec != std::errc()) {
        const std::string t = FormatFixed(value, decimals);
        if (t.size() < width) out.append(width - t.size(), ' ');
        out += t;
        return;
    }
    std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789", 1) == std::string_view::npos &&
        text.find_first_of("0", 1) != std::string_view::npos)
        text.remove_prefix(1);  // never "-0.000"
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text);
}

void AppendInt(std::string& out, long long value, std::size_t width) {
    char buf[kMaxLocalPad + 24];
    char* end = buf + sizeof buf;
    char* first;
    if (value >= 0 && value <= 0xFFFFFFFFLL) {
        first = DigitsBackwards(end, static_cast<std::uint32_t>(value), 1);
    } else {
        first = buf + kMaxLocalPad;
        end = std::to_chars(first, buf + sizeof buf, value).ptr;
    }
    AppendPadded(out, first, end, width);
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
