#include "app/cmd_gsi2xcrt.hpp"

#include <iostream>
#include <vector>

#include "app/param.hpp"
#include "app/text_file.hpp"
#include "import/gsi_convert.hpp"

namespace kestrova {

int RunGsi2Xcrt(const std::string& in, const std::string& out) {
    std::vector<std::string> book;
    {
        std::vector<std::string> lines;
        try {
            lines = ReadTextLines(in);
        } catch (const TextFileError& e) {
            std::cerr << "Impossible de lire le fichier GSI " << e.what() << "\n";
            return 1;
        }
        GsiReport report;
        try {
            book = GsiToXmlBook(lines, Param().entete_gsi, &report);
        } catch (const GsiConversionError& e) {
            std::cerr << in << " : " << e.what() << "\n";
            return 1;
        }
        for (const std::string& warning : report.warnings) std::cerr << in << " : " << warning << "\n";
    }
    try {
        WriteTextLines(out, book, FileEncoding::Latin1Xml);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
