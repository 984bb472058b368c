// What the three commands on files of height differences share.
#pragma once
#include <string>

#include "levelling/deniv_file.hpp"

namespace kestrova {

struct ConsoleArgs;

// Reads -i, writes -o with `extension`. 0, or 1 when the input cannot be
// read or the output written (nothing written).
int RunDenivCommand(const ConsoleArgs& args, const std::string& extension, TDenivOutput output);

}  // namespace kestrova
