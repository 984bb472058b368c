#include "base/fixed_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>

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
constexpr std::uint64_t kIntPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// The common case without to_chars: |value| x 10^decimals below 1e9 and
// not within 1e-6 of a rounding tie, where the product's own rounding
// error (below 1e-7) cannot change the correctly rounded digits.
bool AppendFixedFast(std::string& out, double value, int decimals, std::size_t width) {
    if (decimals < 0 || decimals > 9) return false;
    const double scaled = std::fabs(value) * kPow10[decimals];
    if (!(scaled < 1e9)) return false;
    const double whole = std::floor(scaled);
    const double frac = scaled - whole;
    if (std::fabs(frac - 0.5) < 1e-6) return false;
    std::uint64_t n = static_cast<std::uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
    const bool negative = value < 0 && n != 0;  // never "-0.000"

    // The digits go straight into `out`, from the last one back.
    std::size_t intDigits = 1;
    for (std::uint64_t i = n / kIntPow10[decimals]; i >= 10; i /= 10) ++intDigits;
    const std::size_t len = (negative ? 1 : 0) + intDigits + (decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0);
    const std::size_t pad = width > len ? width - len : 0;
    const std::size_t at = out.size();
    out.resize(at + pad + len, ' ');
    char* const first = out.data() + at + pad;
    char* q = first + len;
    for (int d = 0; d < decimals; ++d) {
        *--q = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0) *--q = '.';
    char* const stop = first + (negative ? 1 : 0);
    do {
        *--q = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (q > stop);
    if (negative) *first = '-';
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
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (n < width) out.append(width - n, ' ');
    out.append(buf, n);
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
