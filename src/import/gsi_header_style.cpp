#include "import/gsi_header_style.hpp"

#include "import/gsi_convert.hpp"

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"

namespace kestrova {

std::optional<std::string> ProposeGsiHeaderStyle(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        // Character positions below are counted from 1. A GSI16 header
        // ("*41", words of 24 characters) is read at the same places of
        // its wider words.
        const bool wide = StartsWith(line, "*41");
        if (!wide && !StartsWith(line, "41")) continue;
        const std::string firstData = wide ? Utf8Mid(line, 8, 16) : Utf8Mid(line, 7, 8);
        const std::string thirdData = wide ? Utf8Mid(line, 56, 16) : Utf8Mid(line, 39, 8);
        if (Trim(firstData) == (wide ? "0000000000000000" : "00000000")) return std::string("tc800");
        if (!Trim(thirdData).empty()) {
            // "TS" reads word 42 as a temperature: when it holds a point
            // name, the name is in 42 and the height in 43 ("tc800").
            const auto word42 = GsiWordData(line, GsiLineKind::StationHeader, "42");
            if (word42 && !TextToDouble(*word42, false)) return std::string("tc800");
            return std::string("TS");
        }
        return std::string("covadis");
    }
    return std::nullopt;
}

}  // namespace kestrova
