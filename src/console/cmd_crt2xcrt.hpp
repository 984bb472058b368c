// Console command "crt2xcrt": a text field book to its XML form.
#pragma once
#include <string>

namespace kestrova {

// `out` is written under that exact name. A book with a line that can be
// read only in part, or with a value that is not a number where the book
// holds one, is refused: exit 1, the line (and field) named, nothing
// written.
int RunCrt2Xcrt(const std::string& in, const std::string& out);

}  // namespace kestrova
