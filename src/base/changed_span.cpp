#include "base/changed_span.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace kestrova {

namespace {

// Compared a block at a time: the texts are whole books.
constexpr std::size_t kBlock = 4096;

std::size_t CommonStart(std::string_view a, std::string_view b) {
    const std::size_t limit = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i + kBlock <= limit && std::memcmp(a.data() + i, b.data() + i, kBlock) == 0) i += kBlock;
    while (i < limit && a[i] == b[i]) ++i;
    return i;
}

// The length of the common end, at most `limit`.
std::size_t CommonEnd(std::string_view a, std::string_view b, std::size_t limit) {
    std::size_t n = 0;
    while (n + kBlock <= limit &&
           std::memcmp(a.data() + a.size() - n - kBlock, b.data() + b.size() - n - kBlock, kBlock) == 0)
        n += kBlock;
    while (n < limit && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
    return n;
}

// A position that does not cut a character or a CR LF in two.
bool CutsHere(std::string_view text, std::size_t at) {
    if (at == 0 || at >= text.size()) return false;
    const auto c = static_cast<unsigned char>(text[at]);
    return (c & 0xC0) == 0x80 || (c == '\n' && text[at - 1] == '\r');
}

}  // namespace

TChangedSpan ChangedSpan(std::string_view before, std::string_view after) {
    std::size_t start = CommonStart(before, after);
    while (start > 0 && (CutsHere(before, start) || CutsHere(after, start))) --start;
    std::size_t end = CommonEnd(before, after, std::min(before.size(), after.size()) - start);
    while (end > 0 && (CutsHere(before, before.size() - end) || CutsHere(after, after.size() - end))) --end;
    return {start, before.size() - end, start, after.size() - end};
}

std::vector<TChangedSpan> ChangedLineRuns(std::string_view before, std::string_view after, std::size_t maxRuns) {
    const TChangedSpan span = ChangedSpan(before, after);
    if (span.oldStart == span.oldEnd && span.newStart == span.newEnd) return {};
    // The span widened to whole lines: back to its line's start (the same
    // in both texts, whose starts are common), on to the end of its last
    // line (the same distance in both, whose ends are common).
    std::size_t start = span.oldStart;
    while (start > 0 && before[start - 1] != '\n') --start;
    std::size_t more = 0;
    if (span.oldEnd == 0 || before[span.oldEnd - 1] != '\n') {
        const std::size_t nl = before.find('\n', span.oldEnd);
        more = (nl == std::string_view::npos ? before.size() : nl + 1) - span.oldEnd;
    }
    const std::string_view a = before.substr(start, span.oldEnd + more - start);
    const std::string_view b = after.substr(start, span.newEnd + more - start);
    std::vector<TChangedSpan> runs;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t ai = a.find('\n', i), bj = b.find('\n', j);
        const std::size_t aEnd = ai == std::string_view::npos ? a.size() : ai + 1;
        const std::size_t bEnd = bj == std::string_view::npos ? b.size() : bj + 1;
        if (a.substr(i, aEnd - i) != b.substr(j, bEnd - j)) {
            if (!runs.empty() && runs.back().oldEnd == start + i)
                runs.back().oldEnd = start + aEnd, runs.back().newEnd = start + bEnd;
            else if (runs.size() == maxRuns)
                return {span};
            else
                runs.push_back({start + i, start + aEnd, start + j, start + bEnd});
        }
        i = aEnd;
        j = bEnd;
    }
    // Not as many lines: the one span.
    if (i < a.size() || j < b.size()) return {span};
    return runs;
}

}  // namespace kestrova
