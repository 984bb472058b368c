// The changed part of a whole document given again to the editor: the
// replacement of that part alone gives the new text, and its ends never cut
// a character or a line end in two.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/changed_span.hpp"

using namespace kestrova;

namespace {

// The runs replaced from the last to the first, as the editor does.
std::string Apply(std::string_view before, std::string_view after, const std::vector<TChangedSpan>& runs) {
    std::string text(before);
    for (auto it = runs.rbegin(); it != runs.rend(); ++it)
        text.replace(it->oldStart, it->oldEnd - it->oldStart, after.substr(it->newStart, it->newEnd - it->newStart));
    return text;
}
std::string Apply(std::string_view before, std::string_view after, const TChangedSpan& s) {
    return Apply(before, after, std::vector<TChangedSpan>{s});
}

bool Cut(std::string_view t, std::size_t at) {
    if (at == 0 || at >= t.size()) return false;
    return (static_cast<unsigned char>(t[at]) & 0xC0) == 0x80 || (t[at] == '\n' && t[at - 1] == '\r');
}

}  // namespace

TEST(ChangedSpan, ReplacingThePartGivesTheNewTextWithoutCuttingACharacter) {
    // A renamed point in a book: only its line.
    const std::string book = " station S1\n  numero 1003 AH_gr 1\n  numero 2 AH_gr 2\n";
    const std::string renamed = " station S1\n  numero 1003B AH_gr 1\n  numero 2 AH_gr 2\n";
    const TChangedSpan s = ChangedSpan(book, renamed);
    EXPECT_EQ(book.substr(s.oldStart, s.oldEnd - s.oldStart), "");
    EXPECT_EQ(renamed.substr(s.newStart, s.newEnd - s.newStart), "B");
    // Same texts: nothing to replace.
    const TChangedSpan same = ChangedSpan(book, book);
    EXPECT_EQ(same.oldStart, same.oldEnd);
    EXPECT_EQ(same.newStart, same.newEnd);
    EXPECT_TRUE(ChangedLineRuns(book, book, 10).empty());
    // "é" and "è" share their first byte: the whole character is replaced.
    const TChangedSpan accent = ChangedSpan("caf\xC3\xA9 x", "caf\xC3\xA8 x");
    EXPECT_EQ(accent.oldStart, 3u);
    EXPECT_EQ(accent.oldEnd, 5u);

    // A point renamed on lines far apart: its lines only.
    const std::string far = "a 1003\nb\nc\nd 1003\ne\n";
    const std::string farRenamed = "a 1003B\nb\nc\nd 1003B\ne\n";
    const std::vector<TChangedSpan> runs = ChangedLineRuns(far, farRenamed, 10);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(far.substr(runs[1].oldStart, runs[1].oldEnd - runs[1].oldStart), "d 1003\n");
    EXPECT_EQ(Apply(far, farRenamed, runs), farRenamed);
    // More runs than allowed: the one span.
    EXPECT_EQ(ChangedLineRuns(far, farRenamed, 1).size(), 1u);

    // Random edits of a text of many lines with accents and CR LF ends.
    std::mt19937 random(7);
    const std::string pieces[] = {"a", "b", "\xC3\xA9", "\xC3\xA8", "\xE2\x82\xAC", "\r\n", "\n", " ", "\r"};
    auto text = [&](int n) {
        std::string t;
        for (int i = 0; i < n; ++i) t += pieces[random() % std::size(pieces)];
        return t;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string before = text(static_cast<int>(random() % 40));
        std::string after = before;
        // Cut at piece-aligned places only when the edit is a piece: the
        // texts stay valid UTF-8.
        const std::string inserted = text(static_cast<int>(random() % 3));
        const std::size_t at = before.empty() ? 0 : random() % (before.size() + 1);
        std::size_t from = at;
        while (from > 0 && (static_cast<unsigned char>(after[from]) & 0xC0) == 0x80) --from;
        std::size_t to = std::min(after.size(), from + random() % 4);
        while (to < after.size() && (static_cast<unsigned char>(after[to]) & 0xC0) == 0x80) ++to;
        after.replace(from, to - from, inserted);
        const TChangedSpan s = ChangedSpan(before, after);
        ASSERT_LE(s.oldStart, s.oldEnd);
        ASSERT_LE(s.newStart, s.newEnd);
        ASSERT_EQ(Apply(before, after, s), after) << round;
        for (const std::size_t p : {s.oldStart, s.oldEnd}) ASSERT_FALSE(Cut(before, p)) << round;
        for (const std::size_t p : {s.newStart, s.newEnd}) ASSERT_FALSE(Cut(after, p)) << round;
        // Two edits, far apart or not: the runs of lines give the new text.
        std::string twice = after;
        const std::size_t at2 = random() % (twice.size() + 1);
        if (at2 == twice.size() || (static_cast<unsigned char>(twice[at2]) & 0xC0) != 0x80) twice.insert(at2, inserted);
        const std::vector<TChangedSpan> r = ChangedLineRuns(before, twice, 1 + random() % 3);
        ASSERT_EQ(Apply(before, twice, r), twice) << round;
        for (std::size_t k = 1; k < r.size(); ++k) ASSERT_LT(r[k - 1].oldEnd, r[k].oldStart + 1) << round;
    }
    // Texts longer than the compared blocks, changed near both ends.
    std::string big(20000, 'x'), changed = big;
    changed[5] = 'y';
    changed[19990] = 'z';
    const TChangedSpan b = ChangedSpan(big, changed);
    EXPECT_EQ(b.oldStart, 5u);
    EXPECT_EQ(b.oldEnd, 19991u);
    EXPECT_EQ(Apply(big, changed, b), changed);
}
