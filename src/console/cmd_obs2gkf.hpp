// Console command "obs2gkf": an observation file (.obs) and a coordinate
// file (.cor, option -c/--cor) to a GNU Gama file (.gkf).
#pragma once
#include "console/console_commands.hpp"

namespace kestrova {

// -i the observation file; -c the coordinate file; -o the output name
// (its extension replaced by ".gkf"). Returns 0; 1 (nothing written) when
// a file cannot be read or converted; 2 without -c.
int RunObs2Gkf(const ConsoleArgs& args);

}  // namespace kestrova
