// The words of a field-book line before its comment, and the comment: what
// the tools rebuild and what they keep as it was.
#pragma once
#include <string>
#include <vector>

#include "base/text_helpers.hpp"

namespace kestrova {

struct TLineWords {
    std::vector<std::string> words;  // the fields before the first "*"
    std::string comment;             // after the first "*", blanks kept
    bool hasComment = false;
};

inline TLineWords SplitLineWords(const std::string& line) {
    TLineWords r;
    const size_t star = line.find('*');
    r.hasComment = star != std::string::npos;
    if (r.hasComment) r.comment = line.substr(star + 1);
    const std::string head = line.substr(0, star);
    size_t i = 0;
    while (i < head.size()) {
        while (i < head.size() && head[i] == ' ') ++i;
        size_t j = i;
        while (j < head.size() && head[j] != ' ') ++j;
        if (j > i) r.words.push_back(Trim(head.substr(i, j - i)));
        i = j;
    }
    while (!r.words.empty() && r.words.back().empty()) r.words.pop_back();
    return r;
}

}  // namespace kestrova
