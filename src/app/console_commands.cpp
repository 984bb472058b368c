#include "app/console_commands.hpp"

#include "app/cmd_crt2obs.hpp"
#include "app/cmd_gsi2xcrt.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
        {"crt2obs", RunCrt2Obs},
        {"gsi2xcrt", RunGsi2Xcrt},
    };
    return commands;
}

}  // namespace kestrova
