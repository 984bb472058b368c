#include "console/cmd_crt2obs.hpp"

#include <iostream>

#include "base/process_end.hpp"
#include "base/text_file.hpp"
#include "exports/obs_writer.hpp"
#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "fieldbook/text_reader.hpp"

namespace kestrova {

bool ReportBookReading(const Tday_obs& book, const std::string& in, std::ostream& err) {
    if (book.stations.empty()) {
        err << "Problème de lecture du fichier Carnet " << in << " : aucune station lue, rien n'est écrit\n";
        if (!book.erreur_lecture.empty()) err << "Lecture arrêtée : " << book.erreur_lecture << "\n";
        return false;
    }
    if (!book.erreur_lecture.empty())
        err << "Avertissement : lecture du fichier Carnet " << in << " arrêtée (" << book.erreur_lecture
            << ") : seules les " << book.stations.size() << " stations lues avant sont réduites\n";
    // The reader takes such values as 0 (or the field's default), as it
    // always did; they are told, here and in the listing.
    const std::vector<std::string> unread = UnreadValueWarnings(book);
    if (!unread.empty()) {
        err << "Avertissement : valeurs illisibles dans le fichier Carnet " << in << " :\n";
        for (const std::string& w : unread) err << "  " << w << "\n";
    }
    return true;
}

int RunCrt2Obs(const std::string& in, const std::string& out, TProgress& progress) {
    // Freeing a million pointings at the end took 4 % of the command.
    const TLeftToProcessEnd<Tday_obs> owned(std::make_unique<Tday_obs>());
    Tday_obs& book = *owned;
    book.trace.enabled = false;  // nobody reads the readers' trace here
    try {
        if (!book.LoadFromFile(in, progress)) {
            std::cerr << "Impossible de lire le fichier carnet " << in << " : fichier introuvable\n";
            return 1;
        }
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le fichier carnet " << e.what() << "\n";
        return 1;
    }
    // The menu command reports a book with no station; here too, rather
    // than writing empty outputs and calling it a success (a GSI recording
    // or a UTF-16 file given by mistake reads as no station at all).
    if (!ReportBookReading(book, in, std::cerr)) return 1;
    const ReductionFiles files = ReductionFileNames(out);
    const std::string replaced = ReductionOutputReplacing(files, in, false);
    if (!replaced.empty()) {
        std::cerr << "Le fichier de sortie " << replaced << " est le fichier carnet lu : rien n'est écrit\n";
        return 1;
    }
    ReduceBook(book, progress);
    try {
        WriteConsoleReductionOutputs(book, files, progress);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    for (const std::string& w : BlankNameWarnings(book)) std::cerr << in << " : " << w << "\n";
    return 0;
}

}  // namespace kestrova
