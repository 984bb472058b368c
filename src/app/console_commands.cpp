#include "app/console_commands.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
    };
    return commands;
}

}  // namespace kestrova
