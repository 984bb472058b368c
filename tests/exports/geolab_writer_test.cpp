#include "exports/geolab_writer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "base/fixed_text.hpp"
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

namespace {

// The lines as first written: every piece inserted at its column by
// InsertAtColumn (characters counted), the number through FixedText.
std::string ReferenceAngleLine(const std::string& keyword, const std::string& station, const std::string& target,
                               double angle) {
    std::string line = keyword + std::string((keyword == " DIR" ? 64 : 82) - keyword.size(), ' ');
    InsertAtColumn(line, 11, station);
    InsertAtColumn(line, 24, target);
    const std::string text = FixedText(angle, 5);
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string dec = text.substr(dot + 1);
    InsertAtColumn(line, whole.size() >= 53 ? 1 : 54 - whole.size(), whole);
    if (dec[0] == '0')
        InsertAtColumn(line, 56, dec.substr(1, 1));
    else
        InsertAtColumn(line, 55, dec.substr(0, 2));
    if (dec[2] == '0')
        InsertAtColumn(line, 62, dec.substr(3, 1));
    else
        InsertAtColumn(line, 61, dec.substr(2, 2));
    InsertAtColumn(line, 63, ".");
    InsertAtColumn(line, 64, dec.substr(4, 1));
    return line;
}

std::string ReferenceDistanceLine(const std::string& station, const std::string& target, double distance) {
    std::string line = " DIST DP" + std::string(74, ' ');
    InsertAtColumn(line, 11, station);
    InsertAtColumn(line, 24, target);
    const std::string text = FixedText(distance, 5);
    const std::size_t digits = text.find('.');
    InsertAtColumn(line, digits <= 1 ? 59 : digits == 2 ? 58 : digits == 3 ? 57 : 56, text);
    return line;
}

}  // namespace

// The writer builds ASCII lines byte by byte and formats the number in
// place: the same lines as the general code, for short, long, blank,
// empty and accented names and values of every size, ties of the fifth
// decimal and huge values included.
TEST_F(GeolabWriterTest, LinesAsTheGeneralCodeBuildsThem) {
    const std::string names[] = {"", "S1", "A B", "ABCDEFGHIJKLM", "ABCDEFGHIJKLMN", "NOM_TRES_LONG_DE_VINGT_6C",
                                 "Gérard", "Ω-12"};
    std::uint64_t state = 7;
    auto next = [&] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string& station = names[i % 8];
        const std::string& target = names[(i / 8) % 8];
        double value = next() * std::pow(10.0, static_cast<int>(next() * 8) - 2);
        if (i % 5 == 0) value = (std::floor(value * 1e5) + 0.5) / 1e5;  // a tie of the fifth decimal
        if (i % 97 == 0) value = 1e16 * (1 + next());
        const char* keyword = i % 2 ? " DIR" : " ZANG ZA";
        ASSERT_EQ(GeolabAngleLine(keyword, station, target, value), ReferenceAngleLine(keyword, station, target, value))
            << value;
        ASSERT_EQ(GeolabDistanceLine(station, target, value), ReferenceDistanceLine(station, target, value)) << value;
    }
}
