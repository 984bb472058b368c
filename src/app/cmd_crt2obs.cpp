#include "app/cmd_crt2obs.hpp"

#include <iostream>
#include <vector>

#include "app/text_file.hpp"
#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

namespace kestrova {

int RunCrt2Obs(const std::string& in, const std::string& out) {
    Tday_obs book;
    book.trace.enabled = false;  // nobody reads the readers' trace here
    {
        std::vector<std::string> lines;
        try {
            lines = ReadTextLines(in);
        } catch (const TextFileError& e) {
            std::cerr << "Impossible de lire le fichier carnet " << e.what() << "\n";
            return 1;
        }
        book.LoadFromLines(lines);
    }
    BuildTargetsAndCheck(book);
    CorrectAndReduce(book);
    try {
        WriteConsoleReductionOutputs(book, ReductionFileNames(out));
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
