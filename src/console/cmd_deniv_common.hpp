// What the three commands on files of height differences share.
#pragma once
#include <string>

#include "levelling/deniv_file.hpp"

namespace kestrova {

struct ConsoleArgs;

// Reads -i, writes -o under the name given. 0, or 1 when the input cannot be
// read or the output written (nothing written).
int RunDenivCommand(const ConsoleArgs& args, TDenivOutput output);

}  // namespace kestrova
