// Code-point aware helpers for texts that may hold non-ASCII characters
// (names, comments): every width and cut of the file formats counts
// characters.
#pragma once
#include <string>
#include <string_view>

namespace kestrova {

size_t Utf8Length(std::string_view text);
// First `count` characters.
std::string Utf8Left(std::string_view text, size_t count);
// `count` characters from character position `start` (0-based).
std::string Utf8Mid(std::string_view text, size_t start, size_t count = std::string::npos);
// Pad with blanks to `width` characters (never cuts).
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);
bool IsValidUtf8(std::string_view text);

}  // namespace kestrova
