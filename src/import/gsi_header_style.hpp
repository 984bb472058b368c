// Guess of the station-header style of a Leica GSI recording, offered to the
// user before a conversion.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// Looks at the first station header line only (GSI8: beginning with "41"):
//  - characters 8 to 15 (blanks trimmed) "00000000"  -> "tc800"
//  - else characters 40 to 47 (blanks trimmed) not empty -> "TS", or
//    "tc800" when word 42 holds a name rather than a number (a code word
//    41, the station name in 42, the height in 43, maybe no weather)
//  - else                                               -> "covadis"
// A GSI16 header line ("*41") is read at the matching places of its
// 24-character words: first data "0000000000000000" -> "tc800", third word
// with data -> "TS", else "covadis".
// No header line: nullopt (the current style stays in force).
std::optional<std::string> ProposeGsiHeaderStyle(const std::vector<std::string>& lines);

}  // namespace kestrova
