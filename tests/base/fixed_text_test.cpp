// The writers' fixed-point formatter gives, for every value, the text of
// printf "%*.*f": random values over the ranges the writers print, values on
// and near rounding ties, signs of zero, widths, and values past the fast
// path (large; a value too large for its fixed form has its own rule).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "base/fixed_text.hpp"
#include "base/line_text.hpp"

using namespace kestrova;

namespace {

std::string Printf(double value, int decimals, int width) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, value);
    std::string s = buf;
    // printf keeps the sign of a negative value printed as zero; the
    // writers never print "-0.000".
    const std::size_t minus = s.find('-');
    if (minus != std::string::npos && s.find_first_of("123456789") == std::string::npos) {
        s.erase(minus, 1);
        if (width > 0 && static_cast<int>(s.size()) < width) s.insert(0, " ");
    }
    return s;
}

void Expect(double value, int decimals, int width) {
    std::string out = "x";
    AppendFixed(out, value, decimals, static_cast<std::size_t>(width));
    ASSERT_EQ(out, "x" + Printf(value, decimals, width)) << "value " << value << " decimals " << decimals;
}

}  // namespace

TEST(FixedText, SameTextAsPrintfOverTheWritersRanges) {
    std::uint64_t state = 12345;
    auto next = [&] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 300000; ++i) {
        const int decimals = i % 10;
        const double magnitude = std::pow(10.0, static_cast<int>(next() * 12) - 4);
        double value = (next() - 0.5) * 2 * magnitude;
        if (i % 7 == 0) {
            // On a tie of the printed decimals, or just beside it.
            const double step = std::pow(10.0, -decimals);
            value = (std::floor(value / step) + 0.5) * step + (static_cast<int>(next() * 3) - 1) * 1e-12;
        }
        Expect(value, decimals, i % 13);
    }
}

TEST(FixedText, ZerosTiesLargeAndNonFiniteValues) {
    for (int d = 0; d <= 9; ++d) {
        for (double v : {0.0, -0.0, -0.00004, 0.00005, -0.5, 0.5, 1.5, 2.5, 0.125, -0.125, 399.99995, 1e8, 1e9,
                         -1e9 - 0.5, 123456789012.345})
            Expect(v, d, 12);
    }
    // Exact binary ties (half-even) and the mean of two readings (a five
    // in the next decimal, within the product's rounding error of a tie).
    for (int k = 0; k < 4000; ++k) {
        for (int d = 0; d <= 6; ++d) {
            Expect((k + 0.5) / std::pow(2.0, d), d, 10);
            Expect(-(k + 0.5) / std::pow(2.0, k % 12), d, 0);
            const double step = std::pow(10.0, -d);
            Expect((k * 37 % 4000 * step * 10 + (k * 37 % 4000 + 1) * step * 10) / 2 + k * 0.1, d, 10);
        }
    }
    // Widths narrower than the number, and paddings wider than the
    // formatter's own room.
    for (int w : {0, 1, 3, 9, 33, 40, 70}) {
        Expect(-123456.789, 3, w);
        Expect(0.0004, 4, w);
        Expect(1e14 + 0.25, 2, w);
        Expect(-987654321.5, 0, w);
    }
    std::string out;
    AppendFixed(out, std::numeric_limits<double>::quiet_NaN(), 3, 0);
    EXPECT_FALSE(out.empty());
}

TEST(FixedText, IntegersAsPrintf) {
    std::uint64_t state = 99;
    for (int i = 0; i < 100000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const int bits = static_cast<int>(state >> 58);  // 0..63
        long long v = static_cast<long long>(state >> (64 - bits)) * ((state & 1) ? -1 : 1);
        const long long special[] = {0, std::numeric_limits<long long>::min(), 4294967295LL, 4294967296LL, -1,
                                     -4294967295LL, -4294967296LL, -9, 99999999, 100000000, -99999999, -100000000,
                                     10000000, -10000000, 9, 10};
        if (i < 16) v = special[i];
        const int width = i % 45;
        char buf[80];
        std::snprintf(buf, sizeof buf, "%*lld", width, v);
        std::string out = "x";
        AppendInt(out, v, static_cast<std::size_t>(width));
        ASSERT_EQ(out, std::string("x") + buf);
    }
}

// A line built in place holds the same text as the appenders give, also
// once it has grown past its first block (long names, wide paddings), a
// number copied from its column's memo is the one formatted again, and the
// line knows it is plain exactly when its text is printable ASCII.
TEST(FixedText, LineBuiltInPlaceAsTheAppenders) {
    TLineText line, other;
    TFixedMemo memo;
    std::string expected;
    std::uint64_t state = 3;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        if (i % 50 == 0) {
            ASSERT_EQ(line.View(), expected);
            ASSERT_EQ(line.Plain(), IsPrintableAscii(expected)) << expected;
            line.Clear();
            expected.clear();
        }
        const std::size_t width = (state >> 20) % 70;
        const double value = (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * std::pow(10.0, i % 19 - 4);
        std::string name((state >> 40) % 40, i % 3 ? 'n' : ' ');
        // Now and then a name that is not plain: a control character or a
        // byte past ASCII, at any place (the check reads short names by
        // words, long ones by blocks).
        if (!name.empty() && i % 97 == 0) name[(state >> 7) % name.size()] = (state >> 9) % 2 ? '\x01' : '\x7F';
        // A column kept in a memo sees values that repeat, zeros of both
        // signs and changes of decimals or width.
        const double repeated[] = {-10.0, 0.0, -0.0, 1.5, std::numeric_limits<double>::quiet_NaN(), value};
        const double kept = repeated[(state >> 30) % 6];
        const int keptDecimals = (state >> 33) % 3 == 0 ? 4 : 1;
        const std::size_t keptWidth = (state >> 35) % 4 == 0 ? 70 : 8;
        line.Fixed(kept, keptDecimals, keptWidth, memo);
        AppendFixed(expected, kept, keptDecimals, keptWidth);
        switch (i % 6) {
            case 0: line.Fixed(value, i % 11, width); AppendFixed(expected, value, i % 11, width); break;
            case 1: line.Int(static_cast<long long>(value), width); AppendInt(expected, static_cast<long long>(value), width); break;
            case 2: line.PadRight(name + "é", width); AppendPadRight(expected, name + "é", width); break;
            case 3: line.PadLeft(name, width); AppendPadLeft(expected, name, width); break;
            case 4: line.Blanks(width).Char('|'); expected.append(width, ' ') += '|'; break;
            case 5:
                if (i % 12 == 5) {  // a part of another line
                    other.Clear().Text(name).Char('|');
                    line.Part(other, 0, name.size());
                    expected += name;
                    break;
                }
                [[fallthrough]];
            default: line.Text(name); expected += name; break;
        }
    }
    ASSERT_EQ(line.View(), expected);
    ASSERT_EQ(line.Plain(), IsPrintableAscii(expected));
    // The literals and the digits of a number are plain; "°" is not.
    EXPECT_TRUE(line.Clear().Text("Station n").Int(12).Char(' ').Fixed(1.5, 4).Plain());
    EXPECT_FALSE(line.Clear().Text("Station n°").Plain());
    EXPECT_FALSE(line.Clear().Char('\t').Plain());
    EXPECT_FALSE(line.Clear().Text("abc").Replace(0, 'b', '\x02').Plain());
}
