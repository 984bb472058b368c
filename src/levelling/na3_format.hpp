// The levelling book (".na3"), laid out as the WILD NA2000 field book:
// six header lines, then per run a "Code=" line and one row per reading.
#pragma once
#include <string>
#include <vector>

#include "levelling/niv_model.hpp"

namespace kestrova {

// The six header lines (UTF-8; the rule is 79 "Ä", byte 0xC4 once the
// book is written in Windows-1252, and a blank).
const std::vector<std::string>& Na3HeaderLines();

// The line that opens a run.
const std::string& Na3CodeLine();

// One reading row: name, backsight, foresight, intermediate, count "/"
// E.M.Q. (one decimal, two under 0.05 mm), stake-out reading (0.0),
// distance, altitude.
std::string Na3Row(const Tobs_niv& obs);

}  // namespace kestrova
