// Console command "renorm": an observation file (.obs) written again with
// its a priori standard deviations renormalised by the parameters of
// Kestrova.ini (the sign of each old value kept, as the menu does).
#pragma once
#include "console/console_commands.hpp"

namespace kestrova {

// -i the observation file; -o the output name (extension ".obs"). Returns
// 0, or 1 (nothing written) when renormalisation is switched off, the file
// holds no observation or cannot be read or converted.
int RunRenorm(const ConsoleArgs& args);

}  // namespace kestrova
