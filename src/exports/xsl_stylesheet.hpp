// The XSLT stylesheet that turns the XML reduction report into an HTML
// page (table of contents, parameters, prisms, Z0, one block per station).
#pragma once
#include <string>
#include <vector>

namespace kestrova {

// The stylesheet, one UTF-8 line per entry (written as ISO-8859-1).
std::vector<std::string> XslStylesheetLines();

// Writes the stylesheet atomically; false (and the reason in *error) when
// the file could not be written.
bool WriteXslStylesheet(const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
