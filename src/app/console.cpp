#include "app/console.hpp"

#include <exception>
#include <ostream>

#include "app/console_commands.hpp"
#include "app/getopts.hpp"
#include "app/param.hpp"
#include "app/version.hpp"

namespace kestrova {

StartMode ChooseStartMode(const std::vector<std::string>& args) {
    bool anyOption = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help") return StartMode::Help;
        if (args[i] == "--version") return StartMode::Version;
        if (!args[i].empty() && args[i][0] == '-') anyOption = true;
    }
    return anyOption ? StartMode::Console : StartMode::Interactive;
}

std::string VersionText() { return std::string("Kestrova ") + kVersion + " - " + kVersionDate; }

std::string UsageText() {
    std::string names;
    for (const auto& c : ConsoleCommands()) names += std::string("  ") + c.name + "\n";
    return "Utilisation :\n"
           "  kestrova                      ouvre la fenêtre principale\n"
           "  kestrova FICHIER...           ouvre les fichiers dans la fenêtre principale\n"
           "  kestrova -x COMMANDE -i ENTREE -o SORTIE [-l JOURNAL]\n"
           "                                exécute une commande en mode console\n"
           "  kestrova --help | --version\n"
           "\n"
           "Options :\n"
           "  -x, --exe=COMMANDE   commande à exécuter\n"
           "  -i, --in=FICHIER     fichier d'entrée\n"
           "  -o, --out=FICHIER    fichier de sortie (l'extension est remplacée)\n"
           "  -l, --log=FICHIER    journal (affiché, sans autre usage)\n"
           "\n"
           "Commandes :\n" +
           (names.empty() ? std::string("  (aucune)\n") : names) +
           "\n"
           "Codes de sortie : 0 réussite, 1 échec de la commande, 2 ligne de commande incorrecte.\n";
}

int RunConsole(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    SetParamMessageSinks([&err](const std::string& m) { err << m << "\n"; },
                         [&err](const std::string& m) { err << m << "\n"; });
    read_ini();

    std::string exe, in, outName, log;
    std::string parseError;
    {
        TGetOpts opts(args);
        opts.SetOptions("xiol");
        opts.SetOptFlags("::::");
        opts.SetReqFlags("xxx ");
        opts.SetDefaults("-,-,-,-");
        opts.SetLongOpts("exe,in,out,log");
        try {
            while (opts.NextOption()) {
                switch (opts.CurrentLetter) {
                    case 'i': in = opts.CurrentArg; break;
                    case 'l': log = opts.CurrentArg; break;
                    case 'o': outName = opts.CurrentArg; break;
                    case 'x': exe = opts.CurrentArg; break;
                    default: break;
                }
            }
        } catch (const EGetOpt& e) {
            parseError = e.what();
        }
    }

    out << "Param x : " << exe << "\n"
        << "Param i : " << in << "\n"
        << "Param o : " << outName << "\n"
        << "Param l : " << log << "\n";
    out.flush();

    if (!parseError.empty()) {
        err << parseError << "\n";
        return 2;
    }

    for (const auto& c : ConsoleCommands()) {
        if (exe != c.name) continue;
        try {
            return c.run(in, outName);
        } catch (const std::exception& e) {
            err << "Erreur : " << e.what() << "\n";
            return 1;
        }
    }

    err << "Commande inconnue : \"" << exe << "\"\nCommandes disponibles :";
    if (ConsoleCommands().empty()) err << " (aucune)";
    for (const auto& c : ConsoleCommands()) err << " " << c.name;
    err << "\n";
    return 2;
}

}  // namespace kestrova
