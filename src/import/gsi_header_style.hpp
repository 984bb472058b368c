// Guess of the station-header style of a Leica GSI recording, offered to the
// user before a conversion.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// Looks at the first line beginning with "41" only:
//  - characters 8 to 15 (blanks trimmed) "00000000"  -> "tc800"
//  - else characters 40 to 47 (blanks trimmed) not empty -> "TS"
//  - else                                               -> "covadis"
// No line beginning with "41": nullopt (the current style stays in force).
std::optional<std::string> ProposeGsiHeaderStyle(const std::vector<std::string>& lines);

}  // namespace kestrova
