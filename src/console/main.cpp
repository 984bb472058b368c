// Entry point: the interactive window or one console command.
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "base/process_end.hpp"
#include "base/temp_registry.hpp"
#include "console/console.hpp"
#include "console/window_loader.hpp"

int main(int argc, char** argv) {
    using namespace kestrova;
    std::vector<std::string> args(argv, argv + argc);
    switch (ChooseStartMode(args)) {
        case StartMode::Help:
            std::cout << UsageText();
            return 0;
        case StartMode::Version:
            std::cout << VersionText() << "\n";
            return 0;
        case StartMode::Interactive:
            return RunWindow(argc, argv, std::vector<std::string>(args.begin() + 1, args.end()));
        case StartMode::Console:
            break;
    }
    // An interrupted run leaves neither temporaries nor a mixed set of outputs.
    RemoveTemporariesOnSignals();
    // System error texts in the user's language; numbers keep the C locale.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    SetProcessEndsAfterCommand();
    return RunConsole(args, std::cout, std::cerr);
}
