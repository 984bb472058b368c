// Numbers typed in the dialogs: French users write "735,2" or "0,0005"
// with a decimal comma, the program reads and writes "." only.
#pragma once
#include <string>
#include <string_view>

namespace kestrova {

// The text with its decimal comma made a point: a text holding one ","
// and no "." is read so ("735,2" -> "735.2", "1,234" -> "1.234"); any other
// text comes back as it is ("1,234.5" keeps its thousands separator, a
// name keeps its commas when it has several).
std::string WithDecimalPoint(std::string_view text);

}  // namespace kestrova
