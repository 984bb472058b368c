#include "import/gsi_header_style.hpp"

#include <gtest/gtest.h>

using kestrova::ProposeGsiHeaderStyle;

TEST(GsiHeaderStyle, GuessesFromTheFirstStationHeaderLine) {
    // The three example header lines of the options dialog.
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00001001 42....+00000120 43....+00007600 44....+00001458"}),
              "TS");
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00000000 42....+00001001 43....+0001.513 44....+00000120 "
                                     "45....+00007600"}),
              "tc800");
    // The covadis example carries data in its third word, which reaches
    // characters 40 to 47: it is proposed as TS.
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00000001 42....+00000004 43....+0001.544"}), "TS");
    // Shorter than 40 characters, word 41 data other than 00000000.
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00000001 42....+00000004 "}), "covadis");
    // Characters 40 to 47 present but blank.
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00000001 42....+00000004" + std::string(20, ' ')}),
              "covadis");
}

TEST(GsiHeaderStyle, OnlyTheFirstHeaderLineCounts) {
    const std::vector<std::string> lines = {
        "110001+0000A100 21.324+10000000 22.324+10000000 31..00+00012345",
        " 410002+00000000",  // does not begin with "41"
        "410003+00000001 42....+00000004",
        "410004+00000000 42....+00001001 43....+0001.513",
    };
    EXPECT_EQ(ProposeGsiHeaderStyle(lines), "covadis");
}

TEST(GsiHeaderStyle, Gsi16HeaderLines) {
    const std::string first = "*410001+0000000000001001 ";
    const std::string third = "43....+0000000000007600 ";
    EXPECT_EQ(ProposeGsiHeaderStyle({"*410001+0000000000000000 42....+0000000000001001 " + third}), "tc800");
    EXPECT_EQ(ProposeGsiHeaderStyle({first + "42....+0000000000000120 " + third}), "TS");
    EXPECT_EQ(ProposeGsiHeaderStyle({first + "42....+0000000000000004 "}), "covadis");
}

TEST(GsiHeaderStyle, NoHeaderLineGivesNoProposal) {
    EXPECT_FALSE(ProposeGsiHeaderStyle({}).has_value());
    EXPECT_FALSE(ProposeGsiHeaderStyle({"110001+0000A100 21.324+10000000", "", "4"}).has_value());
}
