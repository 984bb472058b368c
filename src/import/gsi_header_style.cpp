#include "import/gsi_header_style.hpp"

#include "app/text_helpers.hpp"
#include "app/utf8.hpp"

namespace kestrova {

std::optional<std::string> ProposeGsiHeaderStyle(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (!StartsWith(line, "41")) continue;
        // Characters are counted from 1 in the description above.
        if (Trim(Utf8Mid(line, 7, 8)) == "00000000") return std::string("tc800");
        if (!Trim(Utf8Mid(line, 39, 8)).empty()) return std::string("TS");
        return std::string("covadis");
    }
    return std::nullopt;
}

}  // namespace kestrova
