#include "console/obs_command_support.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "exports/obs_convert.hpp"

namespace kestrova {

bool ConsoleInputExists(const std::string& path, const char* what) {
    if (FileExists(path)) return true;
    std::cerr << "Impossible de lire le fichier " << what << " " << path << " : fichier introuvable\n";
    return false;
}

bool ReadConsoleInput(const std::string& path, const char* what, std::vector<std::string>* lines) {
    try {
        if (!ConsoleInputExists(path, what)) return false;
        *lines = ReadTextLines(path);
        return true;
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le fichier " << what << " " << e.what() << "\n";
        return false;
    }
}

bool OutputReplacesInput(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
    for (const std::string& out : outputs)
        for (const std::string& in : inputs)
            if (SameFile(out, in)) {
                std::cerr << "Le fichier de sortie " << out << " est un fichier lu : rien n'est écrit\n";
                return true;
            }
    return false;
}

int RunConversion(const std::function<void(std::vector<std::string>& warnings)>& conversion,
                  const std::string& input) {
    try {
        std::vector<std::string> warnings;
        conversion(warnings);
        for (const std::string& w : warnings) std::cerr << input << " : " << w << "\n";
        return 0;
    } catch (const ObsConversionError& e) {
        if (e.UnknownFormat()) std::cerr << e.File() << " : " << e.what() << " Rien n'est écrit\n";
        else std::cerr << e.what() << "\n";
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == input ? "Impossible de lire le fichier " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
    }
    return 1;
}

}  // namespace kestrova
