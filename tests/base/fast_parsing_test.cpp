// The fast paths of the readers against the general code they stand in for,
// over many generated texts: a plain decimal converted by one division gives
// the same double as the general conversion, bit for bit, and the blank-mask
// splitter finds the same fields as a byte-by-byte split.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

using namespace kestrova;

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Digits(std::mt19937_64& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
}

// The fields of a line, byte by byte: blank-separated runs of the line
// trimmed of blanks and control characters, none after a 21st.
TLineFieldViews ReferenceSplit(std::string_view line) {
    TLineFieldViews r;
    const size_t star = line.find('*');
    if (star != std::string_view::npos) r.comment = line.substr(star + 1);
    const std::string_view s = TrimView(line);
    if (s.empty() || s[0] == '*') return r;
    size_t i = 0;
    int found = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ') ++i;
        if (i == s.size()) break;
        size_t j = i;
        while (j < s.size() && s[j] != ' ') ++j;
        r.fields[static_cast<size_t>(found++)] = s.substr(i, j - i);
        i = j;
        if (found == 21) return r;
    }
    r.count = found;
    return r;
}

}  // namespace

TEST(PlainDecimal, SameDoubleAsTheGeneralConversion) {
    std::mt19937_64 rng(20261207);
    std::vector<std::string> texts = {"0", "-0", "0.0", "-0.0000", "00012.5000", "999999999999999",
                                      "99999999.9999999", "0.000000000000001", "1.5", "123.4567", "-400.0000",
                                      "0.1", "0.3", "2.675", "1.0000000000005", "9007199254740.99"};
    for (int n = 0; n < 200000; ++n) {
        const int intDigits = 1 + static_cast<int>(rng() % 9);
        const int decimals = static_cast<int>(rng() % 9);
        std::string t = (rng() % 3 == 0 ? "-" : "") + Digits(rng, intDigits);
        if (decimals > 0) t += "." + Digits(rng, decimals);
        texts.push_back(t);
    }
    int plain = 0;
    for (const std::string& t : texts) {
        double value = 0.0;
        const bool plainForm = ParsePlainDecimal(t, value);
        const auto general = GeneralTextToDouble(t, true);
        ASSERT_TRUE(general.has_value()) << t;
        if (!plainForm) continue;
        ++plain;
        ASSERT_TRUE(SameBits(value, *general)) << t;
        ASSERT_TRUE(SameBits(*TextToDouble(t), *general)) << t;
    }
    EXPECT_GT(plain, 150000);  // the generated texts of 15 digits or fewer
}

TEST(PlainDecimal, AnythingElseGoesToTheGeneralConversion) {
    // Forms the one division does not take: each one still converts (or
    // fails) exactly as the general conversion says.
    for (const char* t : {"+1.5", ".5", "-.5", "5.", "1e3", "1.5E-3", "12%", "1,234.5", "0,0009", "-",
                          "", ".", "1.2.3", "1 2", "1234567890123456", "0.0000000000000001",
                          "12345678901234567890", "1e400", "inf", "nan", "0x10", "--1", "1-", " 1", "1 "}) {
        double value = 0.0;
        EXPECT_FALSE(ParsePlainDecimal(t, value)) << t;
        const auto a = TextToDouble(t);
        const auto b = GeneralTextToDouble(t, true);
        ASSERT_EQ(a.has_value(), b.has_value()) << t;
        if (a) {
            EXPECT_TRUE(SameBits(*a, *b)) << t;
        }
    }
    EXPECT_FALSE(TextToDouble("1e3", false).has_value());
    EXPECT_EQ(TextToDouble("16.5", false), 16.5);
}

TEST(SplitLineFields, BlankMaskSplitterSameAsByteByByte) {
    std::mt19937_64 rng(7);
    const char alphabet[] = {' ', ' ', ' ', 'a', '1', '.', '*', '\t', '\r', '\x01', '\xE9', '0'};
    std::vector<std::string> lines = {"", " ", std::string(64, ' '), std::string(64, 'x'), std::string(65, 'x'),
                                      std::string(63, ' ') + "x", "x" + std::string(127, ' ') + "y"};
    for (int n = 0; n < 100000; ++n) {
        std::string line;
        const size_t length = rng() % 200;
        for (size_t i = 0; i < length; ++i) line += alphabet[rng() % sizeof alphabet];
        lines.push_back(line);
    }
    // 20, 21 and 22 fields, across block boundaries.
    for (int fields : {20, 21, 22}) {
        std::string line;
        for (int i = 0; i < fields; ++i) line += "  f" + std::to_string(i) + std::string(static_cast<size_t>(i % 5), 'z');
        lines.push_back(line);
    }
    for (const std::string& line : lines) {
        TLineFieldViews fast;
        SplitLineFields(line, fast);
        const TLineFieldViews ref = ReferenceSplit(line);
        ASSERT_EQ(fast.count, ref.count) << line;
        ASSERT_EQ(fast.comment, ref.comment) << line;
        for (size_t i = 0; i < ref.fields.size(); ++i) ASSERT_EQ(fast.fields[i], ref.fields[i]) << line;
        const TLineFields copy = SplitLineFields(line);
        ASSERT_EQ(copy.count, ref.count);
        for (size_t i = 0; i < ref.fields.size(); ++i) ASSERT_EQ(copy.fields[i], ref.fields[i]) << line;
    }
}

TEST(PlainInteger, SameAsTheGeneralConversion) {
    std::mt19937_64 rng(11);
    const char alphabet[] = {'0', '1', '5', '9', '9', '-', '+', ' ', '.', 'x'};
    std::vector<std::string> texts = {"", "+", "-", "+-5", "-+5", "0029", "-0006", "999999999999999999",
                                      "9223372036854775807", "9223372036854775808", "-9223372036854775808"};
    for (int n = 0; n < 100000; ++n) {
        std::string t;
        const size_t length = rng() % 21;
        for (size_t i = 0; i < length; ++i) t += alphabet[rng() % (i < 2 ? sizeof alphabet : 5)];
        texts.push_back(t);
    }
    for (const std::string& t : texts) ASSERT_EQ(TextToInt(t), GeneralTextToInt(t)) << t;
}
