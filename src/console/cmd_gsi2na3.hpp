// Console command "gsi2na3": digital-level GSI recording -> levelling book.
#pragma once

namespace kestrova {

struct ConsoleArgs;

// Writes the book to -o (the name as given). 0, or 1 when the
// recording cannot be read or converted (nothing written).
int RunGsi2Na3(const ConsoleArgs& args);

}  // namespace kestrova
