#include "console/cmd_report.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "exports/html_report.hpp"
#include "exports/report_reader.hpp"

namespace kestrova {

int RunReport(const std::string& in, const std::string& out, TProgress& progress) {
    const std::string html = ChangeFileExt(out, ".html");
    if (SameFile(in, html)) {
        std::cerr << "Le fichier de sortie " << html << " est le compte rendu lu : rien n'est écrit\n";
        return 1;
    }
    try {
        WriteHtmlReport(in, html, progress);
    } catch (const TReportReadError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
