// Console command "adjust": observations (an observation file, a field
// book or a levelling book) and a coordinate file adjusted by GNU Gama's
// gama-local, with the adjustment report.
#pragma once
#include "console/console_commands.hpp"

namespace kestrova {

// -i the observations; -c the coordinate file; -o the output name BASE:
// BASE.gkf, BASE_gama.xml, BASE_gama.txt and BASE_ajustement.html, all or
// none. Returns 0 when adjusted; 1 (nothing written) when gama-local is
// absent, an input cannot be read, gama-local refuses the input or cannot
// adjust it; 2 without -c.
int RunAdjust(const ConsoleArgs& args);

}  // namespace kestrova
