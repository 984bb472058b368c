#include <gtest/gtest.h>

#include <clocale>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/utf8.hpp"

using namespace kestrova;

TEST(TextToDouble, ConvertsTheNumericForms) {
    EXPECT_DOUBLE_EQ(*TextToDouble("12"), 12.0);
    EXPECT_DOUBLE_EQ(*TextToDouble("-3.5"), -3.5);
    EXPECT_DOUBLE_EQ(*TextToDouble("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(*TextToDouble("1.5E-3"), 0.0015);
    EXPECT_DOUBLE_EQ(*TextToDouble("12%"), 12.0);
    EXPECT_DOUBLE_EQ(*TextToDouble("1,234.5"), 1234.5);
    EXPECT_FALSE(TextToDouble("1.5E-3", false).has_value());
    EXPECT_FALSE(TextToDouble("-").has_value());
    EXPECT_FALSE(TextToDouble("abc").has_value());
    EXPECT_DOUBLE_EQ(TextToDoubleOr("abc", 0.0008), 0.0008);
}

// A decimal comma passes the numeric test (the comma is the thousands
// separator) but must never turn into a value a thousand times too large.
TEST(TextToDouble, DecimalCommaIsNotAThousandsSeparator) {
    EXPECT_FALSE(TextToDouble("0,0009").has_value());
    EXPECT_FALSE(TextToDouble("1013,25").has_value());
    EXPECT_FALSE(TextToDouble("1,2345").has_value());
    EXPECT_DOUBLE_EQ(*TextToDouble("1,013,250.5"), 1013250.5);
}

TEST(TextToInt, RefusesDecimals) {
    EXPECT_EQ(*TextToInt("42"), 42);
    EXPECT_EQ(*TextToInt("-7"), -7);
    EXPECT_FALSE(TextToInt("2.5").has_value());
    EXPECT_EQ(TextToIntOr("x", 4), 4);
}

TEST(RoundHalfEven, TiesGoToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(2.6), 3.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(0.125, 2), 0.12);
}

TEST(Format, NumbersTextsAndWidths) {
    EXPECT_EQ(Format("%10.4f|", 12.345678), "   12.3457|");
    EXPECT_EQ(Format("%-6s|%3d|", "ab", 7), "ab    |  7|");
    EXPECT_EQ(Format("%.3s", "abcdef"), "abc");
    EXPECT_EQ(Format("100%% %s", std::string("sûr")), "100% sûr");
    EXPECT_EQ(Format("%08.3f", -1.5), "-001.500");
    EXPECT_EQ(Format("%c%c", 'a', std::string("é")), "aé");
}

TEST(Format, NeverPrintsNegativeZero) {
    EXPECT_EQ(Format("%.1f", -0.04), "0.0");
    EXPECT_EQ(Format("%6.2f", -0.001), "  0.00");
    EXPECT_EQ(Format("%.2e", -0.0), "0.00e+00");
    EXPECT_EQ(Format("%.1f", -0.06), "-0.1");
}

TEST(Format, WidthsCountCharactersNotBytes) {
    EXPECT_EQ(Format("%-6s|", "Gérard"), "Gérard|");
    EXPECT_EQ(Format("%8s|", "élève"), "   élève|");
    EXPECT_EQ(Format("%.4s", "éèêë et"), "éèêë");
    EXPECT_EQ(Utf8Left("àbc", 1), "à");
    EXPECT_EQ(Utf8Mid("àbçd", 1, 2), "bç");
    EXPECT_EQ(Utf8Length("çà"), 2u);
}

TEST(Format, FixedWithSignificantDigits) {
    EXPECT_EQ(FormatFixedSignificant(0.0, 4, 8), "0.0000");
    EXPECT_EQ(FormatFixedSignificant(1.0, 4, 8), "1.0000");
    EXPECT_EQ(FormatFixedSignificant(1.0005, 2, 8), "1.00");
    EXPECT_EQ(FormatFixedSignificant(123456.789, 4, 8), "123456.7900");
}

// The user's locale (French uses a decimal comma) must not leak into any
// number the program writes.
TEST(Format, IgnoresTheFrenchLocale) {
    if (!std::setlocale(LC_ALL, "fr_FR.UTF-8")) GTEST_SKIP() << "fr_FR.UTF-8 locale not installed";
    EXPECT_EQ(Format("%.3f", 1.5), "1.500");
    EXPECT_EQ(Format("%g", 0.25), "0.25");
    EXPECT_DOUBLE_EQ(*TextToDouble("2.75"), 2.75);
    std::setlocale(LC_ALL, "C");
}
