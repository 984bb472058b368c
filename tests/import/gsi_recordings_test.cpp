// GSI recordings of current instruments: set-up blocks, coordinate records,
// the layouts of word 51, words off the 16/24-column grid, and the unit
// codes on every word that carries one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/param.hpp"
#include "import/gsi_convert.hpp"
#include "import/gsi_header_style.hpp"

using namespace kestrova;

namespace {

class GsiRecordings : public ::testing::Test {
protected:
    void SetUp() override { Param().longueur = 4; }
};

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

}  // namespace

TEST_F(GsiRecordings, SetUpBlocksOpenStationsAndCoordinateRecordsAreSkipped) {
    const std::vector<std::string> gsi = {
        "110001+00000ST1 84..10+01000000 85..10+02000000 86..10+00100000 88..10+00001550 ",
        "110002+00000101 21.322+01000000 22.322+10000000 31..00+00010000 ",
        "110003+000000P9 81..10+01050000 82..10+02050000 83..10+00101000 ",
        "110004+00000102 21.322+02000000 22.322+10000000 31..00+00020000 87..10+00001600 ",
        "110005+00000ST2 88..10+00001420 ",
        "110006+00000ST1 21.322+00000000 22.322+09900000 31..00+00050000 ",
        "110007+000000P8 81..10+01050000 82..10+02050000 ",
    };
    GsiReport report;
    const auto book = GsiToTextBook(gsi, "TS", &report);
    const std::vector<std::string> expected = {
        " station ST1      Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.550",
        "  numero 101      AH_gr  10.00000 AV_gr 100.00000 Dp_m   10.0000 ppm_cste_mm 0000+000 hv_m     0.000",
        "  numero 102      AH_gr  20.00000 AV_gr 100.00000 Dp_m   20.0000 ppm_cste_mm 0000+000 hv_m     1.600",
        " station ST2      Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.420",
        "  numero ST1      AH_gr   0.00000 AV_gr  99.00000 Dp_m   50.0000 ppm_cste_mm 0000+000 hv_m     0.000",
    };
    EXPECT_EQ(book, expected);
    EXPECT_EQ(report.stationCount, 2);
    EXPECT_EQ(report.coordinateRecords, 2);
    EXPECT_EQ(report.warnings, std::vector<std::string>{"2 enregistrements de coordonnées (mots 81 à 83) ignorés."});

    // The set-up words, through their units and signs.
    const auto m = ReadGsiMeasurement("110001+00000ST1 84..16-10000000 85..18+20000000 86..11+00328084 ", 4);
    EXPECT_EQ(m.role, GsiBlockRole::SetUp);
    EXPECT_DOUBLE_EQ(*m.easting, -1000.0);
    EXPECT_DOUBLE_EQ(*m.northing, 200.0);
    EXPECT_NEAR(*m.elevation, 100.0, 1e-5);  // 328.084 ft
    EXPECT_FALSE(m.instrumentHeight.has_value());
    // A set-up word with a zenith angle is a pointing, as today.
    EXPECT_EQ(ReadGsiMeasurement("110001+00000ST1 22.322+10000000 88..10+00001550 ", 4).role, GsiBlockRole::Pointing);
}

TEST_F(GsiRecordings, SetUpAfterTheHeaderOfItsStationCompletesIt) {
    // A code block "41" naming the station, then the instrument's set-up
    // block of the same station: one station, with the set-up's height.
    const std::string header = "410001+00000000 42....+0000BP04 43....+00001538 ";
    const std::string pointing = "110003+00000101 21.322+01000000 22.322+10000000 ";
    auto same = GsiToXmlBook({header, "110002+0000BP04 84..10+01000000 88..10+00001545 ", pointing}, "tc800");
    GsiReport report;
    const auto text = GsiToTextBook({header, "110002+0000BP04 84..10+01000000 ", pointing}, "tc800", &report);
    EXPECT_EQ(report.stationCount, 1);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0], " station BP04     Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.538");  // no 88: the header's
    int stations = 0;
    for (const std::string& line : same)
        if (line.find("<station ") != std::string::npos) {
            ++stations;
            EXPECT_NE(line.find("pt_sta=\"BP04\" temp=\"12.0\" press=\"760.1\" Ht=\"1.545\""), std::string::npos) << line;
        }
    EXPECT_EQ(stations, 1);

    // A set-up of another station opens its own.
    const auto other = GsiToTextBook({header, "110002+0000BP05 88..10+00001545 ", pointing}, "tc800");
    ASSERT_EQ(other.size(), 3u);
    EXPECT_EQ(other[1], " station BP05     Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.545");
}

TEST_F(GsiRecordings, PointingsBeforeAnyStationGoToTheDefaultStationWithAWarning) {
    const std::vector<std::string> gsi = {
        "",
        "110001+00000101 21.322+01000000 22.322+10000000 ",
        "410002+000000S1 ",
        "110003+00000102 21.322+02000000 22.322+10000000 ",
    };
    GsiReport report;
    const auto text = GsiToTextBook(gsi, "TS", &report);
    ASSERT_EQ(text.size(), 4u);
    // Today's default station line, now also before the pointings that
    // precede a first header (the text reader drops pointings without a
    // station).
    EXPECT_EQ(text[0], " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ");
    EXPECT_EQ(text[2].substr(0, 12), " station S1 ");
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].substr(0, 37), "Ligne 2 : mesure avant toute station ");
    EXPECT_EQ(report.stationCount, 1);

    // Stations numbered in order: the default one 1, S1 2.
    const auto xml = GsiToXmlBook(gsi, "TS");
    std::vector<std::string> stations;
    for (const std::string& line : xml)
        if (line.find("<station ") != std::string::npos) stations.push_back(line.substr(0, line.find(" temp=")));
    EXPECT_EQ(stations, (std::vector<std::string>{"      <station num=\"1\" pt_sta=\"0\"",
                                                  "      <station num=\"2\" pt_sta=\"S1\""}));
}

TEST_F(GsiRecordings, Word51InItsLayouts) {
    struct Case {
        const char* word;
        long long ppm;
        const char* cste;
    };
    const Case cases[] = {
        {"51....+0012+034 ", 12, "0.034"},                  // GSI8
        {"51....+0000+000 ", 0, "0.000"},
        {"51....-0012-034 ", -12, "-0.034"},
        {"51....+000000000012-034 ", 12, "-0.034"},         // GSI16, 13 + 4 characters
        {"51..1.+00000008+0000000 ", 8, "0.000"},           // GSI16 of current instruments, 9 + 8
        {"51..1.-00000015+0000030 ", -15, "0.030"},
        {"51..+0008+0000012 ", 8, "0.012"},                 // short information part
    };
    for (const Case& c : cases) {
        const bool wide = std::string(c.word).size() == 24;
        const std::string line = (wide ? "*110001+00000000000000P1 " : "110001+000000P1 ") + std::string(c.word);
        const auto m = ReadGsiMeasurement(line, 4);
        EXPECT_EQ(m.ppmValue, c.ppm) << c.word;
        EXPECT_EQ(m.cste, c.cste) << c.word;
    }
    // A value that is really unreadable still stops the conversion.
    for (const char* word : {"51..1.+0000000A+0000000 ", "51..1.+00000008+00x0000 "}) {
        try {
            GsiToXmlBook({"410001+00000001 ", "*110002+00000000000000P1 " + std::string(word)}, "TS");
            ADD_FAILURE() << word;
        } catch (const GsiConversionError& e) {
            EXPECT_EQ(e.lineNumber(), 2);
            EXPECT_NE(std::string(e.what()).find("mot 51"), std::string::npos) << e.what();
        }
    }
}

TEST_F(GsiRecordings, WordsOffTheColumnGridAreReadFromTheirSign) {
    // Fewer information characters, the sign at position 5; two blanks.
    const auto setUp = ReadGsiMeasurement(
        "*110001+0000000000000ST1 84..10+0000000001000000 85..10+0000000002000000 86..+00000000000200000  "
        "88..10+0000000000001550 ",
        4);
    EXPECT_EQ(setUp.name, "ST1");
    EXPECT_DOUBLE_EQ(*setUp.easting, 1000.0);
    EXPECT_DOUBLE_EQ(*setUp.northing, 2000.0);
    EXPECT_DOUBLE_EQ(*setUp.elevation, 200.0);  // no unit code: millimetres
    EXPECT_DOUBLE_EQ(*setUp.instrumentHeight, 1.55);
    const auto p = ReadGsiMeasurement("110002+00000101  21.322+01000000  22.322+10000000  31..00+00010000", 4);
    EXPECT_EQ(p.name, "101");
    EXPECT_EQ(p.hz, "10.00000");
    EXPECT_EQ(p.v, "100.00000");
    EXPECT_EQ(p.dp, "10.0000");
    // Words on the grid read as before, a blank inside the data included.
    const auto grid = ReadGsiMeasurement("110001+0000P 12 21.322+01000000 ", 4);
    EXPECT_EQ(grid.name, "P 12");
    EXPECT_EQ(grid.hz, "10.00000");
    EXPECT_TRUE(SplitGsiWords("110001+0000P 12 21.322+01000000 ", GsiLineKind::Measurement).aligned);
    EXPECT_FALSE(SplitGsiWords("110001+000000P12  21.322+01000000", GsiLineKind::Measurement).aligned);
}

TEST_F(GsiRecordings, HeaderWithNameAndHeightWordsIsProposedTheStyleThatReadsIt) {
    const std::string header = "*410004+0000000000000021 42....+000000000000BP04 43....+0000000000001538 ";
    ASSERT_EQ(ProposeGsiHeaderStyle({header}), "tc800");
    const auto h = ReadGsiStationHeader(header, "tc800");
    EXPECT_EQ(h.name, "BP04");
    EXPECT_EQ(h.height, "1.538");
    EXPECT_EQ(h.temp, "12.0");
    EXPECT_EQ(h.press, "760.1");
    EXPECT_EQ(ProposeGsiHeaderStyle({"410004+00000021 42....+0000BP04 43....+0001.538 "}), "tc800");
    // Numbers in 42 and 43 keep today's proposal.
    EXPECT_EQ(ProposeGsiHeaderStyle({"410001+00001001 42....+00000120 43....+00007600 44....+00001458"}), "TS");
}

// Unit codes, each on every word that carries a unit of its kind, in GSI8
// and GSI16 words.
struct UnitCase {
    int code;
    const char* data;  // at most 8 digits
    double value;      // gon or metres
};

class GsiUnitCode : public ::testing::TestWithParam<UnitCase> {};

TEST_P(GsiUnitCode, ConvertsEveryWordThatCarriesAUnit) {
    const UnitCase& c = GetParam();
    const bool angle = c.code >= 2 && c.code <= 5;
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "GSI16" : "GSI8");
        auto word = [&](const char* wi) {
            std::string data = c.data;
            data.insert(0, (wide ? 16 : 8) - data.size(), '0');
            return std::string(wi) + "..." + std::to_string(c.code) + "+" + data + " ";
        };
        const std::string start = wide ? "*110001+00000000000000P1 " : "110001+000000P1 ";
        if (angle) {
            const auto m = ReadGsiMeasurement(start + word("21") + word("22"), 4);
            EXPECT_NEAR(Number(m.hz), c.value, 6e-6);
            EXPECT_NEAR(Number(m.v), c.value, 6e-6);
            continue;
        }
        const auto m = ReadGsiMeasurement(start + word("31") + word("87"), 6);
        EXPECT_NEAR(Number(m.dp), c.value, 6e-7);
        EXPECT_NEAR(Number(m.hv), c.value, 6e-4);  // "%9.3f"
        // Horizontal distance with a level sight: the slope distance.
        const auto h = ReadGsiMeasurement(start + "22..." + std::string(wide ? "2+0000000010000000 " : "2+10000000 ") +
                                              word("32"),
                                          6);
        EXPECT_NEAR(*h.horizontalDistance, c.value, 1e-9);
        EXPECT_NEAR(Number(h.dp), c.value, 6e-7);
        const auto s = ReadGsiMeasurement(start + word("84") + word("85") + word("86") + word("88"), 4);
        EXPECT_EQ(s.role, GsiBlockRole::SetUp);
        for (const auto& v : {s.easting, s.northing, s.elevation, s.instrumentHeight}) {
            ASSERT_TRUE(v.has_value());
            EXPECT_NEAR(*v, c.value, 1e-9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, GsiUnitCode,
    ::testing::Values(UnitCase{0, "1234567", 1234.567},                // mm
                      UnitCase{1, "1000000", 304.8},                   // 1/1000 ft
                      UnitCase{2, "12345678", 123.45678},              // gon
                      UnitCase{3, "9000000", 100.0},                   // decimal degrees: 90°
                      UnitCase{4, "12345305", (123 + 45 / 60.0 + 30.5 / 3600.0) / 0.9},  // 123°45'30.5"
                      UnitCase{5, "16000000", 100.0},                  // mil: 1600
                      UnitCase{6, "1234567", 123.4567},                // 0.1 mm
                      UnitCase{7, "1000000", 30.48},                   // 1/10000 ft
                      UnitCase{8, "1234567", 12.34567}),               // 0.01 mm
    [](const ::testing::TestParamInfo<UnitCase>& info) { return "Code" + std::to_string(info.param.code); });
