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

// One stylesheet applied to many small documents (the parts of a report).
// Usable from one thread at a time.
class TXsltRenderer {
public:
    TXsltRenderer() = default;
    ~TXsltRenderer();
    TXsltRenderer(const TXsltRenderer&) = delete;
    TXsltRenderer& operator=(const TXsltRenderer&) = delete;

    // Loads the stylesheet named by the xml-stylesheet instruction of
    // `xml`, a document read from `path` (relative names are taken from
    // there). False with the reason in *error.
    bool Load(const std::string& path, const std::string& xml, std::string* error);

    // The stylesheet of `full` read again, with every repeated block that
    // writes an anchor named `anchorPrefix`... ("station_" for the station
    // sections) kept to its first item: the xsl:for-each nearest to such an
    // anchor selects only the first of its nodes. Everything else of the
    // page comes out as with `full`, without building the other blocks.
    // False when the stylesheet has no such block or cannot be read again.
    bool LoadFirstBlockOnly(const TXsltRenderer& full, const std::string& anchorPrefix);

    // `xml` (with the same base path) through the stylesheet, as UTF-8 HTML.
    XsltResult Render(const std::string& xml) const;

private:
    std::string path_;
    void* style_ = nullptr;  // xsltStylesheetPtr
};

}  // namespace kestrova
