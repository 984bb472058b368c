// Console command "import": any instrument recording -> field book (or
// levelling book), the format recognised from the content or given with
// -r / --format.
#pragma once

namespace kestrova {

struct ConsoleArgs;

// 0 after printing what was recognised and a summary; 1 when the format is
// not recognised, the recording cannot be read or converted (nothing
// written), 2 for an unknown --format name.
int RunImport(const ConsoleArgs& args);

}  // namespace kestrova
