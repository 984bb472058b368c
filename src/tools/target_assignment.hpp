// Target assignment of an XML field book: station by station, which target
// of the calibration editor was aimed at for each observation; validating
// adds each target's constant to the observation's distance and records it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "tools/calibration_editor.hpp"

namespace kestrova {

// One station as the assignment form shows it.
struct TAssignStation {
    std::string num;                  // its `num` attribute, as text
    std::string pt_sta;
    std::vector<std::string> pt_vis;  // its observations, in order
};

// Per station (document order), per observation, the assigned target name;
// empty: none.
using TAssignmentTable = std::vector<std::vector<std::string>>;

// The stations of the book; nothing when the text is not an XML book.
std::optional<std::vector<TAssignStation>> AssignmentStations(const std::vector<std::string>& lines);

// Station shown first (index from 0): from the caret line (from 1) upward,
// the first line whose element is `station` gives the number (its first
// attribute value; number n is the n-th station); station 1 when there is
// no such line or the number names no station.
int AssignmentStartStation(const std::vector<std::string>& lines, int caretLine, std::size_t stationCount);

// "Valider": the targets are written again (as the calibration editor does)
// so that the book names them; every observation with a target gets
//   Dp   = Dp - its former cste + the target's constant (an empty Dp, or
//          one of 0.05 m or less, stays as it is),
//   cste = the target's constant, etalonnage = the target's number;
// the other observations are left as they are. Reduced, an observation
// then carries its target's constant exactly once.
TToolResult ApplyAssignment(const std::vector<std::string>& lines, const std::vector<TCible>& cibles,
                            const TAssignmentTable& table);

}  // namespace kestrova
