// The column layout of the observation file, for names that hold a blank.
#pragma once
#include <string>
#include <string_view>

namespace kestrova {

// The observation file's columns: code, a blank, the station in 16, a
// blank, the target in 16, a blank, the value right-aligned in 10, a
// blank, the standard deviation right-aligned in 10, a blank. When `line`
// is laid out so and one of its names holds a blank (which a reading by
// blanks would take for two fields), gives the two names (trailing blanks
// removed) and the text after them, and true.
bool ObsNamesByColumns(std::string_view line, std::string& from, std::string& to, std::string_view& rest);

// A name with a blank in a file whose fields are separated by blanks:
// each blank becomes "_".
std::string WithoutBlanks(std::string name);

}  // namespace kestrova
