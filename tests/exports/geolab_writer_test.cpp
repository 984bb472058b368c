#include "exports/geolab_writer.hpp"

#include <gtest/gtest.h>

#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "export_test_support.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

class GeolabWriterTest : public WriterTest {};

// Characters from 1-based column `from` to `to`.
std::string Columns(const std::string& line, std::size_t from, std::size_t to) {
    return Utf8Mid(line, from - 1, to - from + 1);
}

}  // namespace

TEST_F(GeolabWriterTest, AnglesSplitIntoGonsCentigonsAndCc) {
    const std::string a = GeolabAngleLine(" DIR", "S1", "T2", 123.45678);
    EXPECT_EQ(Columns(a, 51, 64), "123 45    67.8");
    EXPECT_EQ(Columns(a, 1, 25), " DIR      S1           T2");
    // The template's 64 characters pushed right by every insertion.
    EXPECT_EQ(Utf8Length(a), 64u + 2 + 2 + 3 + 2 + 2 + 1 + 1);

    EXPECT_EQ(Columns(GeolabAngleLine(" DIR", "S1", "T2", 5.0), 51, 64), "  5  0     0.0");
    EXPECT_EQ(Columns(GeolabAngleLine(" DIR", "S1", "T2", 300.0), 51, 64), "300  0     0.0");
    EXPECT_EQ(Columns(GeolabAngleLine(" DIR", "S1", "T2", 12.0304), 51, 64), " 12  3     4.0");
    EXPECT_EQ(Columns(GeolabAngleLine(" DIR", "S1", "T2", 99.99995), 51, 64), " 99 99    99.5");

    const std::string z = GeolabAngleLine(" ZANG ZA", "S1", "T2", 99.0);
    EXPECT_EQ(Columns(z, 1, 25), " ZANG ZA  S1           T2");
    EXPECT_EQ(Columns(z, 51, 64), " 99  0     0.0");
    EXPECT_EQ(Utf8Length(z), 82u + 2 + 2 + 2 + 1 + 1 + 1 + 1);
}

TEST_F(GeolabWriterTest, DistancePointAtColumn60) {
    for (double d : {5.12345, 45.1, 245.1234, 1245.5, 12345.6}) {
        const std::string line = GeolabDistanceLine("S1", "T2", d);
        const std::size_t point = Utf8Length(line.substr(0, line.find('.'))) + 1;
        EXPECT_EQ(point, d < 10000 ? 60u : 61u) << d;
    }
    EXPECT_EQ(Columns(GeolabDistanceLine("S1", "T2", 80.0), 58, 65), "80.00000");
}

TEST_F(GeolabWriterTest, LongStationNameIsSplitByTheTargetName) {
    const std::string line = GeolabAngleLine(" DIR", "ABCDEFGHIJKLMN", "T2", 1.0);
    EXPECT_EQ(Columns(line, 11, 28), "ABCDEFGHIJKLMT2N  ");
    EXPECT_EQ(Columns(GeolabAngleLine(" DIR", "Gérard", "Élise", 1.0), 11, 28), "Gérard       Élise");
}

TEST_F(GeolabWriterTest, WholeFile) {
    const Tday_obs book = Reduce(Concat(Concat(TwoFaceStationLines(), HotStationLines()), TwoFaceStationLines()));
    const auto lines = GeolabFileLines(book);
    ASSERT_EQ(lines.size(), 15u + 7u + 7u + 5u + 4u + 3u);
    EXPECT_EQ(lines[0], " COMP ADJ");
    EXPECT_EQ(lines[1], " ELIP GRS 80                 6378137  6356752.3141   0.0000   0.0000   0.0000 m");
    EXPECT_EQ(lines[14], " LDEC 4");
    const std::vector<std::string> sigmas(lines.begin() + 15, lines.begin() + 22);
    EXPECT_EQ(sigmas, (std::vector<std::string>{" ", " SIGM AH       8.0", " SIGM ZA       12.0", " SIGM DP   0.0010", "",
                                                " HIST NEW", ""}));
    EXPECT_EQ(lines[22], " DSET AH");
    EXPECT_EQ(TrimRight(lines[24]), " DIR      S1           T2                         100  0    10.0");
    EXPECT_EQ(lines[25], " DSET AH");
    EXPECT_EQ(lines[28], "");
    EXPECT_EQ(TrimRight(lines[29]), " ZANG ZA  S1           T1                         100  0     0.0");
    EXPECT_EQ(lines[33], "");
    EXPECT_EQ(TrimRight(lines[34]), " DIST DP  S1           T1" + std::string(32, ' ') + "50.00000");
    const std::vector<std::string> end(lines.end() - 3, lines.end());
    EXPECT_EQ(end, (std::vector<std::string>{" ", " HIST ALL Toutes les observations", " END"}));
}

TEST_F(GeolabWriterTest, NoValidStationGivesHeaderSeparatorsAndFooter) {
    const auto lines = GeolabFileLines(Reduce(HotStationLines()));
    ASSERT_EQ(lines.size(), 15u + 7u + 2u + 3u);
    EXPECT_EQ(lines[22], "");
    EXPECT_EQ(lines[23], "");
    EXPECT_EQ(lines[24], " ");
}
