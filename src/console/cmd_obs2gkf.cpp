#include "console/cmd_obs2gkf.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "console/obs_command_support.hpp"
#include "exports/obs_convert.hpp"

namespace kestrova {

int RunObs2Gkf(const ConsoleArgs& args) {
    const std::string cor = args.Get('c');
    if (cor.empty()) {
        std::cerr << "La commande obs2gkf demande le fichier de coordonnées : -c/--cor FICHIER.cor\n";
        return 2;
    }
    const std::string gkf = ChangeFileExt(args.out, ".gkf");
    if (OutputReplacesInput({gkf}, {args.in, cor})) return 1;
    std::vector<std::string> corLines;
    if (!ConsoleInputExists(args.in, "obs")) return 1;
    if (!ReadConsoleInput(cor, "de coordonnées", &corLines)) return 1;
    return RunConversion(
        [&](std::vector<std::string>& warnings) {
            TFileLineSource lines(args.in);
            ConvertObsToGama(lines, args.in, corLines, cor, gkf, *args.progress, &warnings);
        },
        args.in);
}

}  // namespace kestrova
