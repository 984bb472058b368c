#include "console/cmd_reduce.hpp"

#include "console/cmd_crt2obs.hpp"

#include <iostream>

#include "base/process_end.hpp"
#include "base/text_file.hpp"
#include "exports/obs_writer.hpp"
#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

namespace kestrova {

int RunReduce(const ConsoleArgs& args) {
    TProgress& progress = *args.progress;
    const TLeftToProcessEnd<Tday_obs> owned(std::make_unique<Tday_obs>());
    Tday_obs& book = *owned;
    book.trace.enabled = false;
    try {
        if (!book.LoadFromFile(args.in, progress)) {
            std::cerr << "Impossible de lire le fichier carnet " << args.in << " : fichier introuvable\n";
            return 1;
        }
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le fichier carnet " << e.what() << "\n";
        return 1;
    }
    if (!ReportBookReading(book, args.in, std::cerr)) return 1;
    const ReductionFiles files = ReductionFileNames(args.out);
    const std::string replaced = ReductionOutputReplacing(files, args.in, true);
    if (!replaced.empty()) {
        std::cerr << "Le fichier de sortie " << replaced << " est le fichier carnet lu : rien n'est écrit\n";
        return 1;
    }
    ReduceBook(book, progress);
    try {
        WriteInteractiveReductionOutputs(book, files, progress);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    for (const std::string& w : BlankNameWarnings(book)) std::cerr << args.in << " : " << w << "\n";
    return 0;
}

}  // namespace kestrova
