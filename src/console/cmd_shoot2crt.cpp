#include "console/cmd_shoot2crt.hpp"

#include <iostream>

#include "base/line_reader.hpp"
#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "console/import_io.hpp"
#include "import/shoot_convert.hpp"

namespace kestrova {

int RunShoot2Crt(const std::string& in, const std::string& out, TProgress& progress) {
    const std::string crt = ChangeFileExt(out, ".crt");
    const std::string xcrt = ChangeFileExt(out, ".xcrt");
    if (OutputIsInput(in, crt, "SHOOT") || OutputIsInput(in, xcrt, "SHOOT")) return 1;
    if (!FileExists(in)) {
        std::cerr << "Impossible de lire le fichier SHOOT " << in << " : fichier introuvable\n";
        return 1;
    }
    try {
        // The log is read as it streams by; both books are staged beside
        // their targets and replace them together at the end.
        TTextLineReader reader(in);
        TOutputSet set;
        const ShootSinks sinks{[&]() -> TLineSink& { return set.Add(crt, FileEncoding::Cp1252); },
                               [&]() -> TLineSink& { return set.Add(xcrt, FileEncoding::Latin1Xml); }};
        ShootReport report;
        try {
            report = ConvertShoot([&](std::string& line) { return reader.Next(line); }, sinks, Param().angle,
                                  Param().longueur, progress);
        } catch (const ShootConversionError& e) {
            std::cerr << in << " : " << e.what() << " Rien n'est écrit.\n";
            return 1;
        }
        PrintWarnings(in, report.warnings);
        set.Commit();
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == in ? "Impossible de lire le fichier SHOOT " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
