// Conversions between the program's UTF-8 texts and the 8-bit code page
// of the files it reads and writes.
#pragma once
#include <string>
#include <string_view>

namespace kestrova {

// Windows-1252 bytes to UTF-8 (the five undefined bytes map to U+0081...).
std::string Cp1252ToUtf8(std::string_view bytes);
// The same appended to `out`.
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// UTF-8 to Windows-1252; a character outside the code page becomes "?".
std::string Utf8ToCp1252(std::string_view text);
// The same into `out`, which has room for text.size() bytes (the most it
// takes); returns the bytes written.
std::size_t Utf8ToCp1252(std::string_view text, char* out);

// UTF-8 to ISO-8859-1 for XML files that declare it; a character outside
// Latin-1 becomes a numeric character reference.
std::string Utf8ToLatin1Xml(std::string_view text);

// File bytes to UTF-8: a UTF-8 BOM is dropped; valid UTF-8 stays as it
// is, anything else is read as Windows-1252.
std::string DecodeFileText(std::string_view bytes);

// Escapes &, <, > and " for XML attributes and texts.
std::string XmlEscape(std::string_view text);

}  // namespace kestrova
