// The parts of a text that another text changes. An editor given a new
// version of its whole document replaces those parts only, so that a change
// of a few lines of a large book costs a few lines (and its undo keeps
// those only).
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

namespace kestrova {

// Bytes [oldStart, oldEnd) of the old text become bytes [newStart, newEnd)
// of the new one.
struct TChangedSpan {
    std::size_t oldStart = 0;
    std::size_t oldEnd = 0;
    std::size_t newStart = 0;
    std::size_t newEnd = 0;
};

// What is left once the common start and the common end of the two texts
// are set aside. Neither end falls inside a UTF-8 character or between the
// CR and the LF of a line end.
TChangedSpan ChangedSpan(std::string_view before, std::string_view after);

// The same, split into the runs of lines that differ when the changed part
// has as many lines in both texts (a rename changes a few lines far apart),
// in text order; the one span of ChangedSpan otherwise, or when there would
// be more than `maxRuns` runs. None when the texts are the same.
std::vector<TChangedSpan> ChangedLineRuns(std::string_view before, std::string_view after, std::size_t maxRuns);

}  // namespace kestrova
