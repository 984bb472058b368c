// The commands of the console mode, selected by "-x NAME".
#pragma once
#include <string>
#include <vector>

namespace kestrova {

struct ConsoleCommand {
    const char* name;
    // Runs the command on the -i and -o values; returns the exit status.
    // An exception escaping it is reported on stderr with exit status 1.
    int (*run)(const std::string& in, const std::string& out);
};

const std::vector<ConsoleCommand>& ConsoleCommands();

}  // namespace kestrova
