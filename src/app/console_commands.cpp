#include "app/console_commands.hpp"

#include "app/cmd_crt2obs.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
        {"crt2obs", RunCrt2Obs},
    };
    return commands;
}

}  // namespace kestrova
