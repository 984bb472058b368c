#include "console/cmd_gsi2na3.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "console/console_commands.hpp"
#include "levelling/gsi_levelling.hpp"
#include "levelling/line_source.hpp"

namespace kestrova {

int RunGsi2Na3(const ConsoleArgs& args) {
    const std::string& out = args.out;
    if (SameFile(args.in, out)) {
        std::cerr << "Le fichier de sortie " << out << " est le fichier GSI lu : rien n'est écrit\n";
        return 1;
    }
    std::vector<std::string> warnings;
    try {
        TFileLineSource source(args.in);
        warnings = ConvertGsiToNa3(source, out, *args.progress);
    } catch (const TNivError& e) {
        std::cerr << "Conversion du fichier " << args.in << " impossible : " << e.what() << "\n";
        return 1;
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == args.in ? "Impossible de lire le fichier GSI " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    for (const std::string& w : warnings) std::cerr << args.in << " : " << w << "\n";
    return 0;
}

}  // namespace kestrova
