// Observation files (.obs) and coordinate files (.cor) as obs2iob, obs2gkf
// and renorm convert them: every conversion succeeds or is refused with
// its message, the GNU Gama file is well formed, the renormalised file is
// read again without a value error (it may hold no observation any more:
// a distance of 0 is dropped).
// seeds: tests/data/**/*.obs tests/data/**/*.cor examples/*.obs examples/*.cor
#include <cstdio>

#include "book_checks.hpp"
#include "exports/obs_convert.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    static const std::string iob = fuzz::ScratchPath("out.iob");
    static const std::string gkf = fuzz::ScratchPath("out.gkf");
    static const std::string renorm = fuzz::ScratchPath("renorm.obs");
    static const std::string again = fuzz::ScratchPath("again.obs");

    try {
        ConvertObsToGeolab(lines, "in.obs", iob, "");
    } catch (const ObsConversionError&) {
    }
    // The same lines serve as coordinates: both readers get the input.
    try {
        ConvertObsToGama(lines, "in.obs", lines, "in.cor", gkf);
        fuzz::CheckXmlParses(ReadTextLines(gkf), "fichier GNU Gama");
    } catch (const ObsConversionError&) {
    }
    try {
        WriteRenormalisedObsFile(lines, "in.obs", renorm, RenormSign::Signed);
        try {
            WriteRenormalisedObsFile(ReadTextLines(renorm), "renorm.obs", again, RenormSign::Signed);
        } catch (const ObsConversionError& e) {
            FUZZ_CHECK(e.UnknownFormat(), std::string("le fichier renormalisé est refusé : ") + e.what());
        }
    } catch (const ObsConversionError&) {
    }
    for (const std::string* p : {&iob, &gkf, &renorm, &again}) std::remove(p->c_str());
    return 0;
}
