#include "console/cmd_iob2tri.hpp"

#include "console/cmd_deniv_common.hpp"
#include "console/console_commands.hpp"

namespace kestrova {

int RunIob2Tri(const ConsoleArgs& args) { return RunDenivCommand(args, TDenivOutput::SortedGeolab); }

}  // namespace kestrova
