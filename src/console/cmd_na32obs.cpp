#include "console/cmd_na32obs.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "console/console_commands.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_reader.hpp"
#include "levelling/niv_processor.hpp"
#include "levelling/niv_reduce.hpp"

namespace kestrova {

int RunNa32Obs(const ConsoleArgs& args) {
    TNivProcessor niv;
    if (args.Has('w') && !ParseWeighting(args.Get('w'), niv.settings.mode)) {
        std::cerr << "Pondération incorrecte : \"" << args.Get('w') << "\" (0, 1 ou 2)\n";
        return 2;
    }
    if (args.Has('s') && !ParseReferenceSigma(args.Get('s'), niv.settings.sigma)) {
        std::cerr << "Ecart-type de référence incorrect : \"" << args.Get('s') << "\" (nombre positif, en mm)\n";
        return 2;
    }
    const std::string obs = ChangeFileExt(args.out, ".obs");
    for (const char* ext : {".obs", ".iob", ".gkf"}) {
        if (SameFile(args.in, ChangeFileExt(obs, ext))) {
            std::cerr << "Le fichier de sortie " << ChangeFileExt(obs, ext)
                      << " est le carnet lu : rien n'est écrit\n";
            return 1;
        }
    }
    TNivReduceResult result;
    try {
        TFileLineSource source(args.in);
        result = ReduceNa3Book(source, obs, niv.settings, NivTimeStamp(), *args.progress);
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == args.in ? "Impossible de lire le carnet " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    for (const std::string& w : result.warnings) std::cerr << args.in << " : " << w << "\n";
    if (result.bookLines == 0) {
        std::cerr << "Fichier réduit vide : " << args.in << " : " << NotANa3BookMessage() << "\n";
        return 1;
    }
    if (result.runs == 0) {
        std::cerr << "Fichier réduit vide : " << args.in << " ne contient aucun cheminement, rien n'est écrit\n";
        return 1;
    }
    if (result.zeroSigmaCount > 0) {
        std::cerr << args.in << " : " << ZeroSigmaMessage(result, niv.settings) << "\n";
        return 1;
    }
    if (result.differences == 0) {
        std::cerr << "Fichier réduit vide : " << args.in << " ne donne aucune dénivelée, rien n'est écrit\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
