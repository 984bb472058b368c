#include "console/cmd_gsi2crt.hpp"

#include <iostream>
#include <vector>

#include "base/param.hpp"
#include "console/import_io.hpp"
#include "import/gsi_convert.hpp"
#include "import/gsi_header_style.hpp"

namespace kestrova {

int RunGsi2Crt(const std::string& in, const std::string& out) {
    std::vector<std::string> lines;
    if (OutputIsInput(in, out, "GSI") || !ReadConsoleInput(in, "GSI", lines)) return 1;
    const std::string style = ProposeGsiHeaderStyle(lines).value_or(Param().entete_gsi);
    GsiReport report;
    std::vector<std::string> book;
    try {
        for (std::string& line : GsiToTextBook(lines, style, &report))
            if (!line.empty()) book.push_back(std::move(line));
    } catch (const GsiConversionError& e) {
        std::cerr << in << " : " << e.what() << "\n";
        return 1;
    }
    PrintWarnings(in, report.warnings);
    return WriteConsoleOutput(out, FileEncoding::Cp1252, book);
}

}  // namespace kestrova
