// Numbers and padded texts appended to output lines: the per-line work of
// every writer, exact to the printed decimals and locale-free.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kestrova {

// printf format of a fixed-point number: FixedFormat(10, 4) is "%10.4f",
// FixedFormat(0, 4) is "%.4f".
std::string FixedFormat(int width, int decimals);

// Fast appenders for the per-line work of the writers; they give the same
// text as Format with "%*.*f", "%*d", "%-*s" and "%*s" (widths count
// characters; a value that rounds to zero has no minus sign).
void AppendFixed(std::string& out, double value, int decimals, std::size_t width = 0);
void AppendInt(std::string& out, long long value, std::size_t width = 0);
void AppendPadRight(std::string& out, std::string_view text, std::size_t width);
void AppendPadLeft(std::string& out, std::string_view text, std::size_t width);
std::string FixedText(double value, int decimals, std::size_t width = 0);
// Characters of a UTF-8 text (bytes that do not continue a sequence).
std::size_t CharCount(std::string_view text);

// The fast paths written in place (TLineText): `dest` has room for
// max(width, kFixedBlankRun) + 24 bytes, of which the ones past the text
// may be overwritten. WriteFixedInPlace returns 0 when the value needs the
// general code (|value| x 10^decimals from 1e9, more than 9 decimals, not
// finite); both return the length written.
constexpr std::size_t kFixedBlankRun = 32;
constexpr std::size_t kFixedRoom = kFixedBlankRun + 24;
inline std::size_t WriteFixedInPlace(char* dest, double value, int decimals, std::size_t width);
inline std::size_t WriteIntInPlace(char* dest, long long value, std::size_t width);
// WriteFixedInPlace and WriteIntInPlace for every value (the inline ones
// take the common ones).
std::size_t WriteAnyFixedInPlace(char* dest, double value, int decimals, std::size_t width);
std::size_t WriteAnyIntInPlace(char* dest, long long value, std::size_t width);

namespace fixed_detail {

inline constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
inline constexpr std::uint64_t kZeros = 0x3030303030303030ULL;

// The eight digit values (0 to 9) of x < 10^8, zeros in front, as the
// bytes of a word, the first digit in the lowest byte (memory order): the
// digits are split in lanes, 4+4, then 2+2 in each, then 1+1, all in one
// register.
inline std::uint64_t EightDigitValues(std::uint32_t x) {
    std::uint64_t v = x / 10000 | static_cast<std::uint64_t>(x % 10000) << 32;
    std::uint64_t hi = ((v * 10486) >> 20) & 0x0000007F0000007FULL;  // / 100 in each lane
    v = hi | (v - hi * 100) << 16;
    hi = ((v * 103) >> 10) & 0x000F000F000F000FULL;  // / 10 in each lane
    return hi | (v - hi * 10) << 8;
}

void WriteBlankRun(char* dest, std::size_t n);

// The text of the common numbers, n (their rounded value x 10^decimals)
// below 10^8 and 7 decimals at most: the eight digits of n in one word, the
// last `decimals` of them after the point, the whole part's leading zeros
// found from its first nonzero digit (its last digit always shows).
inline std::size_t WriteCommonFixed(char* dest, std::uint32_t n, bool negative, int decimals, std::size_t width) {
    const std::uint64_t values = EightDigitValues(n);
    const int wholeSlots = 8 - decimals;  // of the whole part
    const int zeros = __builtin_ctzll(values | (std::uint64_t(1) << (8 * (wholeSlots - 1)))) >> 3;
    const int wholeDigits = wholeSlots - zeros;
    const std::size_t len = (negative ? 1u : 0u) + static_cast<std::size_t>(wholeDigits) +
                            (decimals > 0 ? 1u + static_cast<std::size_t>(decimals) : 0u);
    const std::size_t pad = width > len ? width - len : 0;
    std::memset(dest, ' ', kFixedBlankRun);
    if (pad > kFixedBlankRun) WriteBlankRun(dest, pad);
    char* p = dest + pad;
    if (negative) *p++ = '-';
    // Each store writes past its piece; the next one overwrites that.
    const std::uint64_t digits = values + kZeros;
    const std::uint64_t whole = digits >> (8 * zeros);
    std::memcpy(p, &whole, 8);
    if (decimals > 0) {
        p += wholeDigits;
        *p++ = '.';
        const std::uint64_t decimal = digits >> (8 * wholeSlots);
        std::memcpy(p, &decimal, 8);
    }
    return pad + len;
}

}  // namespace fixed_detail

// Inline for the common numbers (rounded value x 10^decimals below 10^8,
// 7 decimals at most, not near a rounding tie): no call in a writer's line.
inline std::size_t WriteFixedInPlace(char* dest, double value, int decimals, std::size_t width) {
    if (static_cast<unsigned>(decimals) <= 7) {
        const double scaled = std::fabs(value) * fixed_detail::kPow10[decimals];
        if (scaled < 1e8 - 1) {  // also false for NaN
            const auto truncated = static_cast<std::uint32_t>(scaled);
            const double frac = scaled - static_cast<double>(truncated);
            if (!(std::fabs(frac - 0.5) < 1e-6)) {
                const std::uint32_t n = truncated + (frac > 0.5 ? 1 : 0);
                return fixed_detail::WriteCommonFixed(dest, n, value < 0 && n != 0, decimals, width);
            }
        }
    }
    return WriteAnyFixedInPlace(dest, value, decimals, width);
}

// Inline for the integers of fewer than nine digits (counts, numbers of
// calibrations and lines): those of a fixed number without decimals.
inline std::size_t WriteIntInPlace(char* dest, long long value, std::size_t width) {
    const bool negative = value < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value);
    if (magnitude < 100000000ULL)
        return fixed_detail::WriteCommonFixed(dest, static_cast<std::uint32_t>(magnitude), negative, 0, width);
    return WriteAnyIntInPlace(dest, value, width);
}

// The path without its extension (the last "." after the last "/").
std::string PathWithoutExt(const std::string& path);

}  // namespace kestrova
