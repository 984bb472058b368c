#include "console/cmd_iob2obs.hpp"

#include "console/cmd_deniv_common.hpp"
#include "console/console_commands.hpp"

namespace kestrova {

int RunIob2Obs(const ConsoleArgs& args) { return RunDenivCommand(args, TDenivOutput::Brelix); }

}  // namespace kestrova
