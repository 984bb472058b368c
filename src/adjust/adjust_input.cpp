#include "adjust/adjust_input.hpp"

#include <algorithm>
#include <cctype>

#include "base/line_sink.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "exports/export_common.hpp"
#include "exports/obs_gama.hpp"
#include "exports/obs_records.hpp"
#include "exports/obs_writer.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "levelling/niv_processor.hpp"
#include "levelling/niv_reduce.hpp"

namespace kestrova {

namespace {

std::string LowerExt(const std::string& path) {
    std::string ext = ExtractFileExt(path);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string ValueErrorText(const std::string& file, const ObsValueError& e) {
    return "Erreur de conversion dans le fichier " + file + ", ligne " + std::to_string(e.line()) + " : " + e.what() +
           " ; rien n'est écrit";
}

// The adjustment is in three dimensions: its zenith angles go from the
// instrument to the target, so the instrument and target heights must reach
// the GNU Gama input whatever the ini says for the exported files (left out,
// every height would come out wrong by the difference of the two heights,
// 20 cm on the bundled example, and the zenith angles would be blamed).
// The ini setting is put back when the input is built.
class HeightsExported {
public:
    HeightsExported() : saved_(Param().export_hauteurs_brelix) { Param().export_hauteurs_brelix = "Y"; }
    ~HeightsExported() { Param().export_hauteurs_brelix = saved_; }
    HeightsExported(const HeightsExported&) = delete;
    HeightsExported& operator=(const HeightsExported&) = delete;

private:
    std::string saved_;
};

}  // namespace

AdjustInputKind AdjustInputKindOf(const std::string& path) {
    const std::string ext = LowerExt(path);
    if (ext == ".obs") return AdjustInputKind::Observations;
    if (ext == ".na3") return AdjustInputKind::LevellingBook;
    return AdjustInputKind::FieldBook;
}

AdjustSource MakeAdjustSource(AdjustInputKind kind, const std::vector<std::string>& inputLines,
                              const std::string& name, const std::vector<std::string>& corLines,
                              const std::string& corName, TProgress& progress) {
    AdjustSource s;
    s.kind = kind;
    s.inputName = name;
    s.corName = corName;
    s.corLines = corLines;
    switch (kind) {
        case AdjustInputKind::Observations:
            s.obsLines = inputLines;
            break;
        case AdjustInputKind::FieldBook: {
            progress.Stage("Lecture du carnet " + name);
            Tday_obs book;
            book.trace.enabled = false;
            book.LoadFromLines(inputLines, progress);
            if (book.stations.empty())
                throw AdjustInputError("Problème de lecture du fichier Carnet " + name + " : aucune station lue" +
                                       (book.erreur_lecture.empty() ? "" : " (" + book.erreur_lecture + ")"));
            if (!book.erreur_lecture.empty())
                s.warnings.push_back("lecture du fichier Carnet " + name + " arrêtée (" + book.erreur_lecture +
                                     ") : seules les " + std::to_string(book.stations.size()) +
                                     " stations lues avant sont ajustées");
            progress.Stage("Réduction du carnet " + name);
            const HeightsExported heights;
            ReduceBook(book, progress);
            s.obsLines = ObsFileLines(book, ChangeFileExt(name, ".obs"), CurrentExportTime());
            break;
        }
        case AdjustInputKind::LevellingBook: {
            progress.Stage("Suppression des crapauds de " + name);
            TNivProcessor niv;
            niv.ReduceBook(inputLines);
            TLineCollector obs, iob, gkf;
            WriteNivExports(niv.runs, obs, iob, gkf, ChangeFileExt(name, ".gkf"), NivTimeStamp(), Param().nivellement);
            const bool any = std::any_of(obs.lines.begin(), obs.lines.end(),
                                         [](const std::string& l) { return !l.empty() && l[0] != '*'; });
            if (!any)
                throw AdjustInputError("Fichier réduit vide : " + name + " ne contient aucune dénivelée à ajuster");
            s.obsLines = std::move(obs.lines);
            break;
        }
    }
    return s;
}

std::vector<std::string> BuildGamaInput(const AdjustSource& source, TProgress& progress) {
    progress.Stage("Préparation du fichier GNU Gama");
    ObsReading reading;
    try {
        reading = ReadObsLines(source.obsLines, RenormSign::Unsigned, progress);
    } catch (const ObsValueError& e) {
        throw AdjustInputError(ValueErrorText(source.inputName, e));
    }
    // A value the GNU Gama writer would pass over as "no distance" (a
    // decimal comma, a word) is refused here, naming its line: an
    // observation must not vanish from the adjustment unseen.
    for (const ObsRecord& r : reading.records) {
        static const std::string kValued = "34567";
        if (r.code.size() != 1 || kValued.find(r.code[0]) == std::string::npos || IsPlainNumber(r.value)) continue;
        throw AdjustInputError(ValueErrorText(source.inputName, ObsValueError(r.lineNumber, "valeur « " + r.value +
                                                                                                  " » non numérique")));
    }
    if (!reading.observationMet)
        throw AdjustInputError("Format non reconnu ! " + source.inputName + " ne contient aucune observation");
    const std::vector<CorRecord> points = ReadCorLines(source.corLines);
    if (points.empty())
        throw AdjustInputError("Format non reconnu ! " + source.corName + " ne contient aucun point");
    TLineCollector gkf;
    try {
        const HeightsExported heights;
        ProduceGamaFromObs(reading.records, points, gkf);
    } catch (const CorValueError& e) {
        throw AdjustInputError(ValueErrorText(source.corName, e));
    } catch (const ObsValueError& e) {
        throw AdjustInputError(ValueErrorText(source.inputName, e));
    }
    return std::move(gkf.lines);
}

}  // namespace kestrova
