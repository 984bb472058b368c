#include "console/console.hpp"

#include <exception>
#include <ostream>
#include <sys/stat.h>

#include "console/console_commands.hpp"
#include "console/progress_line.hpp"
#include "console/getopts.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "base/version.hpp"

namespace kestrova {

bool IsOutputFileName(const std::string& out) {
    const std::string name = ExtractFileName(out);
    if (name.empty() || name == "." || name == "..") return false;
    // A name made of blanks only (-o " ") is no name either.
    return !Trim(ChangeFileExt(name, "")).empty();
}

static std::string NotARegularFile(const std::string& path) {
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    return "Impossible de lire le fichier " + path +
           " : ce n'est pas un fichier ordinaire (dossier, tube ou périphérique), rien n'est écrit";
}

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
    for (const auto& c : ConsoleCommands()) {
        std::string name = c.name;
        if (name.size() < 12) name.resize(12, ' ');
        names += "  " + name + " " + c.summary + "\n";
    }
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
           "  -w, --weighting=N    pondération du nivellement : 0, 1 ou 2 (2 par défaut)\n"
           "  -s, --sigma=MM       écart type de référence du nivellement en mm (0.1 par défaut)\n"
           "  -c, --cor=FICHIER    fichier de coordonnées (.cor)\n"
           "  -f, --from=NOM       ancien nom du point (renommage)\n"
           "  -t, --to=NOM         nouveau nom du point (renommage)\n"
           "  -a, --stations       renommer aussi les stations\n"
           "  -n, --no-targets     ne pas renommer les points visés\n"
           "  -g, --angles=UNITÉ   angles d'un fichier GDM : gon, dms (ddd.mmss) ou deg (ini : angles_gdm)\n"
           "  -r, --format=NOM     format du relevé importé : gsi, gdm, shoot, m5, sdr, rw5, nikon\n"
           "                       (reconnu d'après le contenu sans cette option)\n"
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

    // Letters, long names and whether each option takes a value; -x and -i
    // are always required, -o by the commands that write a named output.
    static const char kLetters[] = "xiolwscftangr";
    ConsoleArgs a;
    std::string exe;
    std::string parseError;
    bool outGiven = false;
    {
        TGetOpts opts(args);
        opts.SetOptions(kLetters);
        opts.SetOptFlags(":::::::::  ::");
        opts.SetReqFlags("xx           ");
        opts.SetDefaults("-,-,-,-,-,-,-,-,-,-,-,-,-");
        opts.SetLongOpts("exe,in,out,log,weighting,sigma,cor,from,to,stations,no-targets,angles,format");
        try {
            while (opts.NextOption()) {
                switch (opts.CurrentLetter) {
                    case 'i': a.in = opts.CurrentArg; break;
                    case 'l': a.log = opts.CurrentArg; break;
                    case 'o': a.out = opts.CurrentArg; outGiven = true; break;
                    case 'x': exe = opts.CurrentArg; break;
                    case '\0': break;
                    default: a.options[opts.CurrentLetter] = opts.CurrentArg; break;
                }
            }
        } catch (const EGetOpt& e) {
            parseError = e.what();
        }
    }

    const ConsoleCommand* command = nullptr;
    for (const auto& c : ConsoleCommands())
        if (exe == c.name) command = &c;
    if (parseError.empty() && command && command->needsOut && !outGiven)
        parseError = args[0] + ": a required option (-o) is missing.";
    // "-o ''" or "-o resultats/" would write hidden files ".chk", ".obs"...
    // into the folder.
    if (parseError.empty() && command && command->needsOut && !IsOutputFileName(a.out))
        parseError = "Nom de sortie incorrect (-o \"" + a.out +
                     "\") : un nom de fichier est attendu, pas un nom vide ni un dossier seul.";

    out << "Param x : " << exe << "\n"
        << "Param i : " << a.in << "\n"
        << "Param o : " << a.out << "\n"
        << "Param l : " << a.log << "\n";
    for (const auto& [letter, value] : a.options) out << "Param " << letter << " : " << value << "\n";
    out.flush();

    if (!parseError.empty()) {
        err << parseError << "\n";
        return 2;
    }

    if (command) {
        // A pipe would block the reader, a device never end: every input is
        // a regular file, or the command does not start.
        for (const std::string& input : {a.in, a.Get('c')}) {
            const std::string refused = NotARegularFile(input);
            if (!refused.empty()) {
                err << refused << "\n";
                return 1;
            }
        }
        // On a terminal, a command running longer than a second shows one
        // updating line on stderr; scripts see nothing more.
        TConsoleProgressLine line(err);
        TProgress shown(line.Listener());
        TProgress& progress = IsTerminal(err) ? shown : NoProgress();
        a.progress = &progress;
        try {
            return command->run(a);
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
