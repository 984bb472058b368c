// What the console conversions of instrument files and field books share:
// reading the input, refusing to write over it, writing one output.
#pragma once
#include <string>
#include <vector>

#include "base/text_file.hpp"

namespace kestrova {

// Reads `in`; on failure prints "Impossible de lire le fichier <what> ..."
// on stderr and returns false.
bool ReadConsoleInput(const std::string& in, const std::string& what, std::vector<std::string>& lines);

// False (after "Impossible de lire le fichier <what> ... : fichier
// introuvable" on stderr) when `in` does not exist.
bool InputExists(const std::string& in, const std::string& what);

// True (after a message on stderr) when `out` is the file `in`.
bool OutputIsInput(const std::string& in, const std::string& out, const std::string& what);

// Writes `lines` to `out` atomically. Returns the exit status: 0, or 1
// after a message on stderr.
int WriteConsoleOutput(const std::string& out, FileEncoding encoding, const std::vector<std::string>& lines);

// Prints each warning on stderr after the name of the input.
void PrintWarnings(const std::string& in, const std::vector<std::string>& warnings);

}  // namespace kestrova
