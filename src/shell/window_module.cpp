// The window module's entry point: the executable loads this module for
// the interactive mode only, so that a console command never loads Qt.
// The module's references to the core resolve to the executable's own copy.
#include <string>
#include <vector>

#include "shell/interactive.hpp"

extern "C" __attribute__((visibility("default"))) int KestrovaRunWindow(int argc, char** argv,
                                                                         const std::vector<std::string>* files) {
    return kestrova::RunInteractive(argc, argv, *files);
}
