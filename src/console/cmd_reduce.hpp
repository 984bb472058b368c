// Console command "reduce": the reduction of the menu from the console.
// Writes the observation file (one file per station, in a folder named
// after the output, when the XML book carries cycle numbers), the check
// listing, the XML report and its stylesheet, the GNU Gama, Geolab and
// "_out.gsi" files.
#pragma once
#include "console/console_commands.hpp"

namespace kestrova {

// -i the field book (.crt, .carnet, .xcrt); -o the output name. Returns 0,
// or 1 when the book cannot be read or an output cannot be written.
int RunReduce(const ConsoleArgs& args);

}  // namespace kestrova
