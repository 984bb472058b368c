// The interactive mode, from the executable: the window lives in a module
// of its own (Qt and the widgets), loaded only when the window is asked for.
#pragma once
#include <string>
#include <vector>

namespace kestrova {

// Loads the window module (beside the executable, or in ../lib/kestrova
// once installed) and runs the window with `files` opened. Without the
// module, says so on stderr and returns 1.
int RunWindow(int argc, char** argv, const std::vector<std::string>& files);

}  // namespace kestrova
