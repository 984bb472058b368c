// What the console commands on observation files share: reading the input
// lines, refusing an output that would replace an input, and reporting a
// failed conversion on stderr with the exit status of the console.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "console/console_commands.hpp"

namespace kestrova {

// Reads `path` into *lines; on failure prints "Impossible de lire le
// fichier <what> ..." and returns false.
bool ReadConsoleInput(const std::string& path, const char* what, std::vector<std::string>* lines);

// False (after printing "Impossible de lire le fichier <what> ...") when
// `path` is not there; the file is then read as it streams by.
bool ConsoleInputExists(const std::string& path, const char* what);

// True (after printing why) when one of `outputs` is one of `inputs`.
bool OutputReplacesInput(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

// Runs a conversion; returns 0 after printing its warnings (each after
// "<input> : "), or 1 after printing its error on stderr. A file error on
// `input` is a reading error, any other a writing error.
int RunConversion(const std::function<void(std::vector<std::string>& warnings)>& conversion,
                  const std::string& input);

}  // namespace kestrova
