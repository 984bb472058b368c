#include <gtest/gtest.h>

#include "base/text_helpers.hpp"

using namespace kestrova;

TEST(SplitLineFields, BlankLineHasNoField) {
    EXPECT_EQ(SplitLineFields("      ").count, 0);
    EXPECT_EQ(SplitLineFields("").count, 0);
}

TEST(SplitLineFields, FieldsAndCommentOfAHeightLine) {
    const auto f = SplitLineFields("  numero 12  AH_gr 1.5 * remark");
    ASSERT_EQ(f.count, 6);
    EXPECT_EQ(f.fields[0], "numero");
    EXPECT_EQ(f.fields[1], "12");
    EXPECT_EQ(f.fields[2], "AH_gr");
    EXPECT_EQ(f.fields[3], "1.5");
    EXPECT_EQ(f.fields[4], "*");
    EXPECT_EQ(f.fields[5], "remark");
    EXPECT_EQ(f.comment, " remark");
    EXPECT_EQ(f.fields[6], "");
}

TEST(SplitLineFields, CommentLineAndLeadingControlCharacters) {
    auto f = SplitLineFields("   * only a remark");
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.comment, " only a remark");
    f = SplitLineFields("\r\t st 1\r");
    ASSERT_EQ(f.count, 2);
    EXPECT_EQ(f.fields[0], "st");
}

TEST(SplitLineFields, TabulationIsPartOfAField) {
    const auto f = SplitLineFields("a\tb c");
    ASSERT_EQ(f.count, 2);
    EXPECT_EQ(f.fields[0], "a\tb");
}

TEST(SplitLineFields, TwentyFieldsCountButTwentyOneDoNot) {
    std::string twenty, many;
    for (int i = 0; i < 20; ++i) twenty += "w" + std::to_string(i) + " ";
    EXPECT_EQ(SplitLineFields(twenty).count, 20);
    for (int i = 0; i < 25; ++i) many += "w" + std::to_string(i) + " ";
    const auto f = SplitLineFields(many);
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.fields[0], "w0");
    EXPECT_EQ(f.fields[20], "w20");
}

TEST(IsNumericText, AcceptedForms) {
    for (const char* t : {"12", "-3.5", ".5", "12%", "-", "+", ".", "1,234", "1,234.56", "007"})
        EXPECT_TRUE(IsNumericText(t, false)) << t;
    EXPECT_TRUE(IsNumericText("1.5E-3", true));
    EXPECT_TRUE(IsNumericText("8e-4", true));
}

TEST(IsNumericText, RejectedForms) {
    for (const char* t : {"", "abc", "1.2.3", "%", "1,2", "1,23,4", ".5,00", "12a", " 12", "1 2", "1e5x"})
        EXPECT_FALSE(IsNumericText(t, true)) << t;
    EXPECT_FALSE(IsNumericText("1.5E-3", false));
    EXPECT_FALSE(IsNumericText(".5.5", false));
}

TEST(StripLeadingZeros, TurnsLeadingZerosIntoBlanks) {
    EXPECT_EQ(StripLeadingZeros("0012"), "  12");
    EXPECT_EQ(StripLeadingZeros("  00001001 "), "    1001");
    EXPECT_EQ(StripLeadingZeros("00000000"), "        ");
    EXPECT_EQ(StripLeadingZeros("A001"), "A001");
}

TEST(CleanFieldText, TrimsAndBlanksControlsAndSemicolons) {
    EXPECT_EQ(CleanFieldText("  a;b\tc  "), "a b c");
    EXPECT_EQ(CleanFieldText("x\x01y"), "x y");
}

// The word-at-a-time check agrees with a byte-by-byte one on every length
// up to three words, with any one byte (or two) set to a value around each
// border: 0x1F/0x20, 0x7E/0x7F, 0x80, 0xC2 (start of a C1 control), 0xFF.
TEST(IsPrintableAscii, AgreesWithTheBytesOneByOne) {
    const unsigned char probes[] = {0x00, 0x09, 0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0x9F, 0xC2, 0xE9, 0xFF};
    auto slow = [](const std::string& t) {
        for (char c : t)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
        return true;
    };
    for (std::size_t len = 0; len <= 24; ++len) {
        const std::string plain(len, 'a');
        EXPECT_TRUE(IsPrintableAscii(plain));
        for (std::size_t i = 0; i < len; ++i) {
            for (unsigned char p : probes) {
                std::string t = plain;
                t[i] = static_cast<char>(p);
                ASSERT_EQ(IsPrintableAscii(t), slow(t)) << "length " << len << " byte " << i << " value " << int(p);
                ASSERT_EQ(HasControlCharacter(t), p < 0x20 || p == 0x7F);
                if (i + 1 < len) {
                    t[i + 1] = static_cast<char>(0x85);  // after 0xC2: a C1 control
                    ASSERT_EQ(IsPrintableAscii(t), false);
                    ASSERT_EQ(HasControlCharacter(t), p < 0x20 || p == 0x7F || p == 0xC2);
                }
            }
        }
    }
}
