#include "console/cmd_obs2tri.hpp"

#include "console/cmd_deniv_common.hpp"
#include "console/console_commands.hpp"

namespace kestrova {

int RunObs2Tri(const ConsoleArgs& args) { return RunDenivCommand(args, TDenivOutput::SortedBrelix); }

}  // namespace kestrova
