#include "console/cmd_gsi2crt.hpp"

#include <iostream>

#include "base/line_reader.hpp"
#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "console/import_io.hpp"
#include "import/gsi_file.hpp"
#include "import/gsi_header_style.hpp"

namespace kestrova {

namespace {

// The style the conversion dialog proposes: from the first station header
// of the recording, else the one in force.
std::string ProposedStyle(const std::string& in) {
    TTextLineReader reader(in);
    std::string line;
    while (reader.Next(line))
        if (auto style = ProposeGsiHeaderStyle({line})) return *style;
    return Param().entete_gsi;
}

}  // namespace

int RunGsi2Crt(const std::string& in, const std::string& out, TProgress& progress) {
    if (OutputIsInput(in, out, "GSI")) return 1;
    if (!FileExists(in)) {
        std::cerr << "Impossible de lire le fichier GSI " << in << " : fichier introuvable\n";
        return 1;
    }
    try {
        TOutputSet outputs;
        GsiReport report;
        try {
            report = ConvertGsiFile(in, out, GsiBookForm::Text, ProposedStyle(in), outputs, progress);
        } catch (const GsiConversionError& e) {
            std::cerr << in << " : " << e.what() << "\n";
            return 1;
        }
        PrintWarnings(in, report.warnings);
        outputs.Commit();
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == in ? "Impossible de lire le fichier GSI " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
