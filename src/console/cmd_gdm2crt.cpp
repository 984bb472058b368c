#include "console/cmd_gdm2crt.hpp"

#include <iostream>
#include <vector>

#include "console/import_io.hpp"
#include "import/gdm_convert.hpp"

namespace kestrova {

int RunGdm2Crt(const std::string& in, const std::string& out) {
    std::vector<std::string> lines;
    if (OutputIsInput(in, out, "GDM") || !ReadConsoleInput(in, "GDM", lines)) return 1;
    GdmBook book;
    try {
        book = GdmToTextBook(lines);
    } catch (const GdmConversionError& e) {
        std::cerr << in << " : " << e.what() << " Rien n'est écrit.\n";
        return 1;
    }
    return WriteConsoleOutput(out, FileEncoding::Cp1252, book.lines);
}

int RunGdm2Xcrt(const std::string& in, const std::string& out) {
    std::vector<std::string> lines;
    if (OutputIsInput(in, out, "GDM") || !ReadConsoleInput(in, "GDM", lines)) return 1;
    return WriteConsoleOutput(out, FileEncoding::Latin1Xml, GdmToXmlBook(lines).lines);
}

}  // namespace kestrova
