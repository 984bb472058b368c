// The commands of the console mode, selected by "-x NAME".
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

// What the command line gave a command: -i, -o, -l and the other options
// by their letter ("" for a flag that takes no value).
struct ConsoleArgs {
    std::string in, out, log;
    std::map<char, std::string> options;
    TProgress* progress = nullptr;  // never null when a command runs

    bool Has(char letter) const { return options.count(letter) != 0; }
    std::string Get(char letter, const std::string& fallback = {}) const {
        const auto it = options.find(letter);
        return it == options.end() ? fallback : it->second;
    }
};

struct ConsoleCommand {
    const char* name;
    const char* summary;  // one line of --help
    bool needsOut;        // -o is required
    // Returns the exit status. An exception escaping it is reported on
    // stderr with exit status 1.
    int (*run)(const ConsoleArgs& args);
};

const std::vector<ConsoleCommand>& ConsoleCommands();

}  // namespace kestrova
