#include "console/cmd_adjust.hpp"

#include <iostream>

#include "adjust/adjust_input.hpp"
#include "adjust/adjust_report.hpp"
#include "adjust/adjustment.hpp"
#include "adjust/child_process.hpp"
#include "adjust/gama_locate.hpp"
#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "console/obs_command_support.hpp"

namespace kestrova {

int RunAdjust(const ConsoleArgs& args) {
    const std::string cor = args.Get('c');
    if (cor.empty()) {
        std::cerr << "La commande adjust demande le fichier de coordonnées : -c/--cor FICHIER.cor\n";
        return 2;
    }
    const AdjustFiles files = AdjustFileNames(args.out);
    if (OutputReplacesInput({files.gkf, files.xml, files.txt, files.html}, {args.in, cor})) return 1;
    const std::string program = FindGamaLocal();
    if (program.empty()) {
        std::cerr << GamaLocalAbsentText() << "\n";
        return 1;
    }
    const AdjustInputKind kind = AdjustInputKindOf(args.in);
    std::vector<std::string> lines, corLines;
    if (!ReadConsoleInput(args.in, kind == AdjustInputKind::Observations ? "obs"
                                   : kind == AdjustInputKind::LevellingBook ? "de nivellement" : "carnet",
                          &lines))
        return 1;
    if (!ReadConsoleInput(cor, "de coordonnées", &corLines)) return 1;
    TProgress& progress = *args.progress;
    try {
        struct PrintWarnings {  // also when the adjustment fails
            std::vector<std::string> list;
            ~PrintWarnings() {
                for (const std::string& w : list) std::cerr << "Avertissement : " << w << "\n";
            }
        } warnings;
        const AdjustRun run = RunAdjustment(program, kind, lines, args.in, corLines, cor, files, warnings.list, progress);
        for (const std::string& l : AdjustSummaryLines(run.outcome, run.source)) std::cout << l << "\n";
        std::cout << "Fichiers écrits : " << files.gkf << ", " << files.xml << ", " << files.txt << ", " << files.html
                  << "\n";
    } catch (const AdjustInputError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const GamaRunError& e) {
        std::cerr << "gama-local n'a pas ajusté le réseau de " << args.in << " : " << e.what()
                  << " ; rien n'est écrit\n";
        return 1;
    } catch (const ChildStartError& e) {
        std::cerr << "Impossible de lancer gama-local : " << e.what() << " ; rien n'est écrit\n";
        return 1;
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
