// Console mode: parameters, options, the four "Param" lines, one command.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova {

// args[0] is the program path. Returns the process exit status:
// 0 success, 1 a command failed, 2 bad command line.
int RunConsole(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What main() does with a command line.
enum class StartMode { Interactive, Console, Help, Version };
StartMode ChooseStartMode(const std::vector<std::string>& args);

// An output name that names a file: not empty, not a folder alone
// ("resultats/", ".", ".."), not an extension alone (".obs"), not blanks.
bool IsOutputFileName(const std::string& out);

std::string UsageText();
std::string VersionText();

}  // namespace kestrova
