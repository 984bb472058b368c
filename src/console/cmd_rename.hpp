// Console command "rename": renames a point throughout a text field book or
// a levelling book, keeping the book as it was in "<book>.backup".
#pragma once

namespace kestrova {

struct ConsoleArgs;

// -i the book, --from the old name, --to the new name; --stations renames
// the stations too, --no-targets leaves the targets. Returns 0, 1 when the
// book cannot be read, is not a book, names no such point or cannot be
// written (nothing is written then), 2 when a name is missing or the new
// one cannot name a point of the book.
int RunRename(const ConsoleArgs& args);

}  // namespace kestrova
