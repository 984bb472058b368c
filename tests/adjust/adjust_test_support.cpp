#include "adjust/adjust_test_support.hpp"

#include <cstdlib>

#include "adjust/gama_locate.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"

namespace adjust_test {

std::string GamaLocal() { return kestrova::FindGamaLocal("", std::getenv("GAMA_LOCAL"), std::getenv("PATH")); }

std::string DataFile(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/adjust/" + name; }

kestrova::AdjustSource Source(const std::string& obs, const std::string& cor) {
    // As the example's Kestrova.ini: instrument and target heights go into
    // the GNU Gama input.
    kestrova::Param().export_hauteurs_brelix = "Y";
    return kestrova::MakeAdjustSource(kestrova::AdjustInputKindOf(obs), kestrova::ReadTextLines(DataFile(obs)), obs,
                                      kestrova::ReadTextLines(DataFile(cor)), cor);
}

}  // namespace adjust_test
