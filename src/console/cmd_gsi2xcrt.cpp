#include "console/cmd_gsi2xcrt.hpp"

#include <iostream>
#include <string>

#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "import/gsi_file.hpp"

namespace kestrova {

int RunGsi2Xcrt(const std::string& in, const std::string& out, TProgress& progress) {
    if (SameFile(in, out)) {
        std::cerr << "Le fichier de sortie " << out << " est le fichier GSI lu : rien n'est écrit\n";
        return 1;
    }
    try {
        // The recording is read as it streams by, and the book goes to a
        // temporary file as it is made; it replaces `out` only when the
        // whole recording was converted.
        TOutputSet outputs;
        GsiReport report;
        try {
            report = ConvertGsiFile(in, out, GsiBookForm::Xml, Param().entete_gsi, outputs, progress);
        } catch (const GsiConversionError& e) {
            std::cerr << in << " : " << e.what() << "\n";
            return 1;
        }
        for (const std::string& warning : report.warnings) std::cerr << in << " : " << warning << "\n";
        outputs.Commit();
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == in ? "Impossible de lire le fichier GSI " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
