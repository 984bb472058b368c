#include "console/cmd_deniv_common.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "console/console_commands.hpp"
#include "levelling/line_source.hpp"

namespace kestrova {

int RunDenivCommand(const ConsoleArgs& args, TDenivOutput output) {
    const std::string& out = args.out;
    if (SameFile(args.in, out)) {
        std::cerr << "Le fichier de sortie " << out << " est le fichier lu : rien n'est écrit\n";
        return 1;
    }
    std::vector<std::string> warnings;
    try {
        TFileLineSource source(args.in);
        warnings = ConvertDenivFile(source, out, output, *args.progress, args.in);
    } catch (const TDenivFileError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == args.in ? "Impossible de lire le fichier " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    for (const std::string& w : warnings) std::cerr << args.in << " : " << w << "\n";
    return 0;
}

}  // namespace kestrova
