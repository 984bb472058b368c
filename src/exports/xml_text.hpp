// Texts that go into the XML files the reduction writes (report, GNU Gama
// input): every name and free text is escaped so that the file stays well
// formed whatever the field book holds.
#pragma once
#include <string>
#include <string_view>

#include "base/line_text.hpp"

namespace kestrova {

// &, <, > and " escaped; a tabulation becomes "&#9;" (kept by attribute
// normalisation) and any other control character, which XML 1.0 forbids,
// becomes "?".
std::string XmlText(std::string_view text);

// Appends XmlText(text) to out.
void AppendXmlText(std::string& out, std::string_view text);
void AppendXmlText(TLineText& out, std::string_view text);

// Same as XmlText, and every non-ASCII character becomes a numeric
// character reference, for files whose declaration names no encoding
// but which are written in the 8-bit code page.
std::string XmlTextAscii(std::string_view text);

// A file name as a relative URI reference (the stylesheet link of the
// report): every byte of its UTF-8 text other than letters, digits and
// "-", ".", "_", "~" is percent-encoded, so "levé x[1].xsl" becomes
// "lev%C3%A9%20x%5B1%5D.xsl" and XSLT processors and browsers find it.
std::string UriFileName(std::string_view utf8Name);

}  // namespace kestrova
