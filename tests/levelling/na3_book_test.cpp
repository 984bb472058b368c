// GSI levelling recordings to levelling books: header bytes, row layouts,
// runs, point names, units, GSI16 and double readings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_file.hpp"
#include "levelling/gsi_levelling.hpp"
#include "levelling/na3_format.hpp"
#include "levelling/na3_reader.hpp"

using namespace kestrova;

namespace {

// A GSI8 reading line: point word then the given words.
std::string Gsi8(const std::string& point, const std::string& words) { return "110001+" + point + " " + words; }

std::vector<std::string> Body(const std::vector<std::string>& book) {
    return std::vector<std::string>(book.begin() + 6, book.end());
}

}  // namespace

TEST(Na3Book, HeaderBytesAndRowExample) {
    const std::string bytes = EncodeTextLines(Na3HeaderLines(), FileEncoding::Cp1252);
    const std::string expected =
        "\r\n"
        "*****     W I L D  N A 2 0 0 0    \\    C A R N E T  de  T E R R A I N     *****\r\n"
        "\r\n"
        " Num?ro     lecture  lecture    lecture   Nombre   lecture   Distance  Altitude\r\n"
        " de point   Arri?re  Avant      Rayon.    /E.M.Q.  Implant.  horiz.\r\n" +
        std::string(79, '\xC4') + " \r\n";
    EXPECT_EQ(bytes, expected);

    Tobs_niv o;
    o.name = "1001";
    o.backsight = 1.23456;
    o.distance = 25.3;
    EXPECT_EQ(Na3Row(o), "     1001   1.23456   0.0       0.0     0 / 0.0   0.0      25.300      0.0");
    // Foresight layout, intermediate layout, no distance, no reading.
    o = Tobs_niv{};
    o.name = "B";
    o.foresight = -0.7;
    o.count = 12;
    o.emq = 0.25;
    EXPECT_EQ(Na3Row(o), "        B   0.0      -0.70000   0.0    12 / 0.2   0.0       0.0        0.0");
    o = Tobs_niv{};
    o.name = "I";
    o.intermediate = 0.4;
    o.count = 3;
    o.altitude = 2.5;
    EXPECT_EQ(Na3Row(o), "        I   0.0       0.0       0.40000 3 / 0.0   0.0       0.0        2.5");
    o = Tobs_niv{};
    o.name = "C";
    o.altitude = 101.2345;
    EXPECT_EQ(Na3Row(o), "        C   0.0       0.0       0.0     0 / 0.0   0.0       0.0      101.2345");
}

TEST(Na3Book, RunsTrimmingNamesAndUnits) {
    TNivWarnings warnings;
    const auto book = GsiToNa3(
        {
            Gsi8("00001001", "32...0+00025300 331.08+00123456"),  // before any 41: an implicit run
            Gsi8("00000000", "332.06+00012345"),                  // name "0", unit 6
            "410002+00000001 42....+00000002",
            Gsi8("0000000G", "331..0+00001500"),  // only backsights: the run is empty
            Gsi8("0000000H", "331..0+00001600"),
            "410005+00000001",
            Gsi8("000000P1", "331..0+00001000 390...+00000003 391.08+00000023"),
            Gsi8("000000P2", "332..0+00000900 32...8+02000000"),
            Gsi8("000000P3", "331..0+00000800"),  // kept: a row without backsight follows
            Gsi8("000000P4", "333..7+00000800"),  // no such unit: 0, warned
            Gsi8("000000P5", "331..0+00000700"),  // trailing backsights are dropped
            Gsi8("000000P6", "331..0+00000600 332..0+00000100"),
            "* a comment line",
        },
        &warnings);
    const std::vector<std::string> expected = {
        Na3CodeLine(),
        "     1001   1.23456   0.0       0.0     0 / 0.0   0.0      25.300      0.0",
        "        0   0.0       1.23450   0.0     0 / 0.0   0.0       0.0        0.0",
        Na3CodeLine(),
        "       P1   1.00000   0.0       0.0     3 / 0.2   0.0       0.0        0.0",
        "       P2   0.0       0.90000   0.0     0 / 0.0   0.0      20.000      0.0",
        "       P3   0.80000   0.0       0.0     0 / 0.0   0.0       0.0        0.0",
        "       P4   0.0       0.0       0.0     0 / 0.0   0.0       0.0        0.0000",
    };
    EXPECT_EQ(Body(book), expected);
    // Set-ups that cannot be formed (G and H: backsights without foresight;
    // P3; P5, its row and P6's dropped at the end), the unknown unit, the
    // line with two kinds of reading.
    const std::vector<std::string> told = warnings.Lines();
    const std::vector<std::string> lines = {"ligne 4 :", "ligne 5 :", "ligne 10 :", "ligne 9 :", "ligne 12 :", "ligne 11 :"};
    ASSERT_EQ(told.size(), lines.size());
    for (size_t i = 0; i < told.size(); ++i) EXPECT_EQ(told[i].rfind(lines[i], 0), 0u) << told[i];
    EXPECT_NE(told[0].find("lecture arrière sur G n'a pas de lecture avant"), std::string::npos) << told[0];

    // A reading word that is not a number stops the conversion, naming the line.
    try {
        GsiToNa3({"410001+00000001", Gsi8("00000001", "331.08+0012A456")});
        FAIL() << "no error";
    } catch (const TNivError& e) {
        EXPECT_NE(std::string(e.what()).find("ligne 2"), std::string::npos) << e.what();
    }
    // A blank inside a name would split the row: "_" instead, told.
    TNivWarnings blank;
    const auto named = GsiToNa3({"410001+?......1", "110002+0000BM 1 331.08+00150000", "110003+0000000C 332.08+00100000"},
                                &blank);
    ASSERT_EQ(named.size(), 9u);
    EXPECT_EQ(named[7].substr(0, 9), "     BM_1");
    EXPECT_EQ(blank.Lines(),
              std::vector<std::string>{"ligne 2 : le nom de point \"BM 1\" contient un blanc, écrit \"BM_1\""});

    // Without any GSI block, or without any staff reading, the lines are
    // no levelling recording.
    EXPECT_THROW(GsiToNa3({"* nothing"}), TNivError);
    EXPECT_THROW(GsiToNa3({"410001+00000001", Gsi8("00000001", "21.322+12345678 22.322+09876543")}), TNivError);
}

TEST(Na3Book, Gsi16ReadsLikeGsi8AndDoubleReadingsAreAveraged) {
    const std::vector<std::string> gsi8 = {
        "410001+?......1 ",
        Gsi8("0000RN12", "32...8+02514000 331.08+00148123 390...+00000003 391.08+00000018"),
        Gsi8("00700001", "32...8+02498000 332.08+00102211 390...+00000003 391.08+00000022"),
        Gsi8("00700001", "32...8+02498010 336.08+00102215 390...+00000003 391.08+00000015"),
        Gsi8("0000RN12", "32...8+02513990 335.08+00148127 390...+00000003 391.08+00000020"),
        Gsi8("00700001", "571.08+00000000 573.08+00016000 83..08+10169362"),
        Gsi8("00700001", "32...8+02841000 331.08+00161540"),  // the next set-up
        Gsi8("00700001", "32...8+02841000 335.08+00161544"),
        Gsi8("0000000G", "32...8+02862000 332.08+00120318"),
        Gsi8("0000000X", "32...8+02862010 336.08+00120320"),  // not the same point: kept alone, warned
    };
    std::vector<std::string> gsi16;
    for (const std::string& line : gsi8) {
        // Same words, 16-character data.
        std::string out = "*";
        size_t i = 0;
        while (i < line.size()) {
            size_t e = line.find(' ', i);
            if (e == std::string::npos) e = line.size();
            const std::string w = line.substr(i, e - i);
            if (!w.empty()) {
                const std::string data = w.substr(7);
                out += w.substr(0, 7) + std::string(16 - data.size(), '0') + data + " ";
            }
            i = e + 1;
        }
        gsi16.push_back(out);
    }
    EXPECT_EQ(gsi16[1], "*110001+000000000000RN12 32...8+0000000002514000 331.08+0000000000148123 "
                        "390...+0000000000000003 391.08+0000000000000018 ");
    TNivWarnings w8, w16;
    const auto book8 = GsiToNa3(gsi8, &w8);
    EXPECT_EQ(GsiToNa3(gsi16, &w16), book8);
    EXPECT_EQ(w8.Lines(), w16.Lines());
    ASSERT_EQ(w8.Lines().size(), 1u);
    EXPECT_NE(w8.Lines()[0].find("ligne 10"), std::string::npos) << w8.Lines()[0];
    const std::vector<std::string> expected = {
        Na3CodeLine(),
        // Means of both readings; counts added; E.M.Q. sqrt(0.18^2 + 0.20^2) / 2 = 0.13 mm.
        "     RN12   1.48125   0.0       0.0     6 / 0.1   0.0      25.140      0.0",
        "   700001   0.0       1.02213   0.0     6 / 0.1   0.0      24.980      0.0",
        "   700001   0.0       0.0       0.0     0 / 0.0   0.0       0.0      101.6936",
        "   700001   1.61542   0.0       0.0     0 / 0.0   0.0      28.410      0.0",
        "        G   0.0       1.20318   0.0     0 / 0.0   0.0      28.620      0.0",
        "        X   0.0       1.20320   0.0     0 / 0.0   0.0      28.620      0.0",
    };
    EXPECT_EQ(Body(book8), expected);

    // Read back: the summary row carries no reading.
    const TRunList runs = ReadNa3Book(book8);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].second.observations.size(), 5u);
    EXPECT_EQ(runs[0].second.observations[0].second.count, 6);
    EXPECT_DOUBLE_EQ(runs[0].second.observations[1].second.foresight, 1.02213);
}
