// Interactive mode: the multi-document main window.
#pragma once
#include <string>
#include <vector>

namespace kestrova {

// Runs the main window until it closes, with `files` opened as documents.
int RunInteractive(int argc, char** argv, const std::vector<std::string>& files);

}  // namespace kestrova
