// Numbers and padded texts appended to output lines: the per-line work of
// every writer, exact to the printed decimals and locale-free.
#pragma once
#include <cstddef>
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
std::size_t WriteFixedInPlace(char* dest, double value, int decimals, std::size_t width);
std::size_t WriteIntInPlace(char* dest, long long value, std::size_t width);

// The path without its extension (the last "." after the last "/").
std::string PathWithoutExt(const std::string& path);

}  // namespace kestrova
