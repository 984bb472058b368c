// Console command "obs2iob": an observation file (.obs) to a Geolab file
// (.iob), and the renormalised observation file beside it when the
// parameters renormalise the standard deviations.
#pragma once
#include "console/console_commands.hpp"

namespace kestrova {

// -i the observation file; -o the output name: its extension replaced by
// ".iob", and "<name>_2.obs" for the renormalised file. Returns 0, or 1
// (nothing written) with the reason on stderr.
int RunObs2Iob(const ConsoleArgs& args);

}  // namespace kestrova
