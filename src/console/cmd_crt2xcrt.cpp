#include "console/cmd_crt2xcrt.hpp"

#include <iostream>
#include <vector>

#include "console/import_io.hpp"
#include "import/text_to_xml.hpp"

namespace kestrova {

int RunCrt2Xcrt(const std::string& in, const std::string& out) {
    std::vector<std::string> lines;
    if (OutputIsInput(in, out, "carnet") || !ReadConsoleInput(in, "carnet", lines)) return 1;
    const TextToXmlResult r = ConvertTextBookToXml(lines);
    if (!r.warning.empty()) {
        std::cerr << in << " : " << r.warning << " Rien n'est écrit.\n";
        return 1;
    }
    return WriteConsoleOutput(out, FileEncoding::Latin1Xml, r.xml);
}

}  // namespace kestrova
