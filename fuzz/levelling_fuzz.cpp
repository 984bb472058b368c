// Levelling: digital-level GSI recordings to levelling books (gsi2na3),
// levelling books read and reduced (na32obs) with every weighting, and
// height-difference files sorted (obs2tri, iob2tri, iob2obs): the GNU Gama
// file of a reduction is well formed, the sorted files hold no control
// character.
// seeds: tests/data/**/*.gsi tests/data/**/*.na3 tests/data/**/*.obs tests/data/**/*.iob examples/*.na3
#include "book_checks.hpp"
#include "levelling/deniv_file.hpp"
#include "levelling/gsi_levelling.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_reader.hpp"
#include "levelling/niv_reduce.hpp"
#include "levelling/turning_points.hpp"

namespace {

void ReduceAndCheck(kestrova::TRunList runs, kestrova::TWeighting mode) {
    using namespace kestrova;
    TNivSettings settings;
    settings.mode = mode;
    EliminateTurningPoints(runs, settings);
    TLineCollector obs, iob, gkf;
    WriteNivExports(runs, obs, iob, gkf, "out.gkf", "07/12/2026 10:00:00", 4);
    fuzz::CheckXmlParses(gkf.lines, "fichier GNU Gama du nivellement");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));

    // The input as a recording, as a levelling book, as a height-difference file.
    // A recording refused (a word that is not a number) names its line.
    try {
        const std::vector<std::string> na3 = GsiToNa3(lines);
        ReduceAndCheck(ReadNa3Book(na3), TWeighting::Count);
    } catch (const TNivError&) {
    }
    try {
        for (TWeighting mode : {TWeighting::Count, TWeighting::Distance, TWeighting::Default})
            ReduceAndCheck(ReadNa3Book(lines), mode);
    } catch (const TNivError&) {
    }

    TVectorLineSource source(lines);
    TNivWarnings warnings;
    std::vector<Tdeniv> entries = ReadDenivFile(source, warnings);
    for (TDenivOutput output : {TDenivOutput::Brelix, TDenivOutput::SortedBrelix, TDenivOutput::SortedGeolab}) {
        std::vector<Tdeniv> copy = entries;
        if (output != TDenivOutput::Brelix) SortDenivs(copy);
        fuzz::CheckPrintable(DenivFileLines(copy, output), "fichier de dénivelées");
    }
    return 0;
}
