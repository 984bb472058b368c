// Turns an XML report into HTML through the stylesheet it names.
#pragma once
#include <string>

namespace kestrova {

struct XsltResult {
    bool ok = false;
    std::string html;   // UTF-8 when ok
    std::string error;  // why it failed otherwise
};

// Reads the XML file at `path`, loads the stylesheet of its
// xml-stylesheet processing instruction (relative to the file) and applies
// it with UTF-8 output.
XsltResult RenderXmlWithStylesheet(const std::string& path);

}  // namespace kestrova
