#include "console/import_io.hpp"

#include <iostream>

#include "base/output_set.hpp"

namespace kestrova {

bool ReadConsoleInput(const std::string& in, const std::string& what, std::vector<std::string>& lines) {
    try {
        if (!FileExists(in)) {
            std::cerr << "Impossible de lire le fichier " << what << " " << in << " : fichier introuvable\n";
            return false;
        }
        lines = ReadTextLines(in);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le fichier " << what << " " << e.what() << "\n";
        return false;
    }
    return true;
}

bool InputExists(const std::string& in, const std::string& what) {
    if (FileExists(in)) return true;
    std::cerr << "Impossible de lire le fichier " << what << " " << in << " : fichier introuvable\n";
    return false;
}

bool OutputIsInput(const std::string& in, const std::string& out, const std::string& what) {
    if (!SameFile(in, out)) return false;
    std::cerr << "Le fichier de sortie " << out << " est le fichier " << what << " lu : rien n'est écrit\n";
    return true;
}

int WriteConsoleOutput(const std::string& out, FileEncoding encoding, const std::vector<std::string>& lines) {
    try {
        TOutputSet set;
        TLineSink& sink = set.Add(out, encoding);
        for (const std::string& line : lines) sink.Add(line);
        set.Commit();
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

void PrintWarnings(const std::string& in, const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings) std::cerr << in << " : " << w << "\n";
}

}  // namespace kestrova
