#include "base/obs_columns.hpp"

#include <array>

#include "base/field_number.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

// The observation file's columns: code, a blank, the station in 16, a
// blank, the target in 16, a blank, the value right-aligned in 10, a
// blank, the standard deviation right-aligned in 10, a blank. When `line`
// is laid out so (as every writer of the file lays it) and one of its
// names holds a blank, which a reading by blanks would take for two
// fields, gives the two names (trailing blanks removed) and the text after
// them. A line typed by hand with single blanks meets all these columns
// only by a rare chance; it is then read by blanks as always.
bool ObsNamesByColumns(std::string_view line, std::string& from, std::string& to, std::string_view& rest) {
    // Cheap refusals first: most lines are short or plainly blank-separated.
    if (line.size() < 57 || line[1] != ' ' || line[2] == ' ') return false;
    // Byte offsets of the first 58 characters (and of the end).
    std::array<std::size_t, 59> at{};
    std::size_t i = 0, k = 0;
    for (; k < at.size(); ++k) {
        at[k] = i;
        if (i >= line.size()) break;
        const unsigned char b = static_cast<unsigned char>(line[i]);
        i += b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    }
    if (k < 57) return false;  // fewer than 57 characters
    auto is = [&](std::size_t column, char c) { return line[at[column]] == c; };
    auto digit = [&](std::size_t column) { return line[at[column]] >= '0' && line[at[column]] <= '9'; };
    if (!is(18, ' ') || !is(35, ' ') || is(19, ' ') || !digit(45) || !is(46, ' ') || !digit(56)) return false;
    if (k > 57 && !is(57, ' ')) return false;
    const std::string_view fromColumn = TrimView(line.substr(at[2], at[18] - at[2]));
    const std::string_view toColumn = TrimView(line.substr(at[19], at[35] - at[19]));
    if (fromColumn.find(' ') == std::string_view::npos && toColumn.find(' ') == std::string_view::npos) return false;
    rest = line.substr(at[36]);
    TLineFieldViews f;
    SplitLineFields(rest, f);
    if (f.count < 2 || !PlainFieldNumber(f.fields[0]) || !PlainFieldNumber(f.fields[1])) return false;
    from = std::string(fromColumn);
    to = std::string(toColumn);
    return true;
}

std::string WithoutBlanks(std::string name) {
    for (char& c : name)
        if (c == ' ') c = '_';
    return name;
}

}  // namespace kestrova
