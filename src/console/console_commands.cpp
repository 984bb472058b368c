#include "console/console_commands.hpp"

#include "console/cmd_crt2obs.hpp"
#include "console/cmd_gsi2xcrt.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
        {"crt2obs", "carnet (.crt, .xcrt) -> .chk .xml .xsl .obs .iob _out.gsi", true,
         [](const ConsoleArgs& a) { return RunCrt2Obs(a.in, a.out); }},
        {"gsi2xcrt", "enregistrement GSI -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunGsi2Xcrt(a.in, a.out, *a.progress); }},
    };
    return commands;
}

}  // namespace kestrova
