#include "base/text_helpers.hpp"

#include <bit>
#include <cctype>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrova {

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string TrimLeft(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && IsBlankOrControl(text[b])) ++b;
    return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && IsBlankOrControl(text[e - 1])) --e;
    return std::string(text.substr(0, e));
}

std::string_view TrimView(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && IsBlankOrControl(text[e - 1])) --e;
    size_t b = 0;
    while (b < e && IsBlankOrControl(text[b])) ++b;
    return text.substr(b, e - b);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string ToLowerAscii(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string ToUpperAscii(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

TLineFields SplitLineFields(std::string_view line) {
    TLineFields r;
    SplitLineFields(line, r);
    return r;
}

namespace {

// Bit i set when byte i of the text from `offset` on is a blank, for the
// next 64 bytes; bits past the end of the text are set as well (blanks).
std::uint64_t BlankMask(std::string_view text, size_t offset) {
    const size_t n = text.size() - offset < 64 ? text.size() - offset : 64;
    std::uint64_t mask = n < 64 ? ~std::uint64_t(0) << n : 0;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    auto blanks16 = [&](const char* p) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), blank))));
    };
    size_t k = 0;
    for (; k + 16 <= n; k += 16) mask |= blanks16(text.data() + offset + k) << k;
    if (k < n) {
        if (text.size() >= 16) {
            // The last 16 bytes of the text, shifted down to the part not
            // seen yet: no read past the end.
            const size_t seen = 16 - (n - k);
            mask |= (blanks16(text.data() + text.size() - 16) >> seen) << k;
        } else {
            for (; k < n; ++k) mask |= static_cast<std::uint64_t>(text[offset + k] == ' ') << k;
        }
    }
#else
    for (size_t k = 0; k < n; ++k) mask |= static_cast<std::uint64_t>(text[offset + k] == ' ') << k;
#endif
    return mask;
}

}  // namespace

void SplitLineFields(std::string_view line, TLineFieldViews& r) {
    r.count = 0;
    for (std::string_view& f : r.fields) f = std::string_view();
    r.comment = std::string_view();
    const size_t star = line.find('*');
    if (star != std::string_view::npos) r.comment = line.substr(star + 1);

    const std::string_view stripped = TrimView(line);
    if (stripped.empty() || stripped[0] == '*') return;

    // The fields are the runs of non-blank bytes, found 64 bytes at a time
    // from the mask of the blanks: a field starts at a non-blank after a
    // blank and ends at a blank after a non-blank.
    const char* const data = stripped.data();
    const size_t size = stripped.size();
    int found = 0;
    size_t fieldStart = 0;
    std::uint64_t previousNonBlank = 0;  // the last byte of the previous block, as bit 0
    for (size_t base = 0; base < size; base += 64) {
        const std::uint64_t blanks = BlankMask(stripped, base);
        const std::uint64_t nonBlank = ~blanks;
        const std::uint64_t before = (nonBlank << 1) | previousNonBlank;
        std::uint64_t starts = nonBlank & ~before;
        std::uint64_t ends = blanks & before;
        // Starts and ends alternate: a field open at the start of the block
        // ends first. The stripped text begins with a field.
        bool open = previousNonBlank != 0;
        previousNonBlank = nonBlank >> 63;
        for (;;) {
            if (open) {
                if (!ends) break;
                const size_t end = base + static_cast<size_t>(std::countr_zero(ends));
                ends &= ends - 1;
                r.fields[static_cast<size_t>(found)] = std::string_view(data + fieldStart, end - fieldStart);
                ++found;
                if (found == 21) {  // a 21st field: the line counts as empty
                    r.count = 0;
                    return;
                }
            }
            if (!starts) break;
            fieldStart = base + static_cast<size_t>(std::countr_zero(starts));
            starts &= starts - 1;
            open = true;
        }
    }
    if (previousNonBlank) {  // the last field runs to the end (always, once stripped)
        r.fields[static_cast<size_t>(found)] = std::string_view(data + fieldStart, size - fieldStart);
        ++found;
        if (found == 21) {
            r.count = 0;
            return;
        }
    }
    r.count = found;
}

void SplitLineFields(std::string_view line, TLineFields& r) {
    TLineFieldViews views;
    SplitLineFields(line, views);
    r.count = views.count;
    for (size_t i = 0; i < r.fields.size(); ++i) r.fields[i].assign(views.fields[i]);
    r.comment.assign(views.comment);
}

bool IsNumericText(std::string_view text, bool exponentAllowed) {
    if (text.empty()) return false;
    if (text.back() == '%') text.remove_suffix(1);
    if (text.empty()) return false;

    const char first = text[0];
    if (!(first == '+' || first == '-' || IsDigit(first) || first == '.')) return false;
    const bool beganWithDot = first == '.';

    size_t p = 0;
    if (first == '+' || first == '-') ++p;

    // Integer part: digits and thousands separators.
    bool sawSeparator = false;
    size_t digitsAfterSeparator = 0;
    while (p < text.size() && (IsDigit(text[p]) || text[p] == ',')) {
        if (text[p] == ',') {
            if (beganWithDot) return false;
            sawSeparator = true;
            digitsAfterSeparator = 0;
        } else {
            ++digitsAfterSeparator;
        }
        ++p;
    }
    if (sawSeparator && digitsAfterSeparator < 2) return false;

    // Fraction.
    if (p < text.size() && text[p] == '.') {
        ++p;
        while (p < text.size() && IsDigit(text[p])) ++p;
        if (p < text.size() && text[p] == '.') return false;
    }

    // Exponent: a number of the same form without exponent.
    if (exponentAllowed && p < text.size() && (text[p] == 'E' || text[p] == 'e')) {
        ++p;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
        while (p < text.size() && IsDigit(text[p])) ++p;
        if (p < text.size() && text[p] == '.') {
            ++p;
            while (p < text.size() && IsDigit(text[p])) ++p;
        }
    }
    return p == text.size();
}

std::string StripLeadingZeros(std::string_view text) {
    std::string r = Trim(text);
    for (char& c : r) {
        if (c != '0') break;
        c = ' ';
    }
    return r;
}

std::string CleanFieldText(std::string_view text) {
    std::string r = Trim(text);
    for (char& c : r)
        if (static_cast<unsigned char>(c) < ' ' || c == ';') c = ' ';
    return r;
}

namespace {

// Length of the control character at text[i], 0 when there is none.
std::size_t ControlLength(std::string_view text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return 1;
    if (c == 0xC2 && i + 1 < text.size()) {
        const unsigned char d = static_cast<unsigned char>(text[i + 1]);
        if (d >= 0x80 && d <= 0x9F) return 2;
    }
    return 0;
}

}  // namespace

bool IsPrintableAscii(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    // A byte below 0x20 borrows into its high bit (the lowest such byte at
    // least, which is all "any" needs); a byte above 0x7E has its high bit
    // set once 1 is added, or already.
    auto bad = [](std::uint64_t w) { return ((w - 0x20 * kOnes) & ~w) | ((w + kOnes) | w); };
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t w;
    if (n < 8) {
        // Short: padded with blanks to one word.
        w = 0x2020202020202020ULL;
        std::memcpy(&w, p, n);
        return (bad(w) & kHigh) == 0;
    }
    std::uint64_t any = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: as signed bytes, the printable ones are
    // above 0x1F and below 0x7F (the bytes from 0x80 are negative).
    if (n >= 16) {
        const __m128i low = _mm_set1_epi8(0x1F);
        const __m128i high = _mm_set1_epi8(0x7F);
        __m128i ok = _mm_set1_epi8(-1);
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi8(v, low), _mm_cmplt_epi8(v, high)));
        }
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));  // overlapping
        ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi8(v, low), _mm_cmplt_epi8(v, high)));
        return _mm_movemask_epi8(ok) == 0xFFFF;
    }
#endif
    for (; i + 8 <= n; i += 8) {
        std::memcpy(&w, p + i, 8);
        any |= bad(w);
    }
    std::memcpy(&w, p + n - 8, 8);  // the last bytes, overlapping the words before
    any |= bad(w);
    return (any & kHigh) == 0;
}

bool HasControlCharacter(std::string_view text) {
    if (IsPrintableAscii(text)) return false;
#if defined(__SSE2__)
    // A line with accents: first sixteen bytes at a time for any byte that
    // may start a control character (below 0x20, 0x7F, 0xC2).
    if (text.size() >= 16) {
        const char* p = text.data();
        const std::size_t n = text.size();
        auto candidates = [](const char* at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i c0 = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-1)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
            const __m128i del = _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F));
            const __m128i c2 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC2)));
            return _mm_movemask_epi8(_mm_or_si128(c0, _mm_or_si128(del, c2)));
        };
        int any = 0;
        for (std::size_t i = 0; i + 16 <= n; i += 16) any |= candidates(p + i);
        any |= candidates(p + n - 16);
        if (!any) return false;
    }
#endif
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 || c == 0x7F || c == 0xC2) && ControlLength(text, i)) return true;
    }
    return false;
}

std::string PrintableText(std::string_view text) {
    std::string r;
    r.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t n = ControlLength(text, i)) {
            r += '?';
            i += n;
        } else {
            r += text[i++];
        }
    }
    return r;
}

std::size_t XmlTagEnd(std::string_view text, std::size_t open) {
    char quote = 0;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace kestrova
