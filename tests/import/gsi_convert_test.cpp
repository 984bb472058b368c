#include "import/gsi_convert.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/param.hpp"

using namespace kestrova;

namespace {

const char* const kMeasurement =
    "110012+00000A12 21.322+12345678 22.322+09876543 31..00+00012345 51....+0012+034 87..10+00001600 ";

// A GSI8 measurement line of `words` words (word 11 first, then codes 71).
std::string MeasurementOfWords(int words) {
    std::string line = "110001+0000P100 ";
    for (int i = 1; i < words; ++i) line += "71....+00000001 ";
    return line;
}

class GsiConvert : public ::testing::Test {
protected:
    void SetUp() override { Param().longueur = 4; }
};

}  // namespace

TEST_F(GsiConvert, StationHeaderStyles) {
    const auto ts = ReadGsiStationHeader("410001+00001001 42....+00000120 43....+00007600 44....+00001458", "TS");
    EXPECT_EQ(ts.name, "1001");
    EXPECT_EQ(ts.temp, "12.0");
    EXPECT_EQ(ts.press, "760.0");
    EXPECT_EQ(ts.height, "1.458");

    const auto cov = ReadGsiStationHeader("410001+00000001 42....+00000004 43....+0001.544", "covadis");
    EXPECT_EQ(cov.name, "4");
    EXPECT_EQ(cov.temp, "12.0");
    EXPECT_EQ(cov.press, "760.1");
    EXPECT_EQ(cov.height, "1.544");

    // tc800 (and any unknown style): name 42, height 43, temperature 44,
    // pressure 45. Millimetre digits and a typed metre value give the same.
    const std::string tc = "410001+00000000 42....+00001001 43....+00001513 44....+00000125 45....+00007600";
    for (const char* style : {"tc800", "Orvel"}) {
        const auto h = ReadGsiStationHeader(tc, style);
        EXPECT_EQ(h.name, "1001");
        EXPECT_EQ(h.temp, "12.5");
        EXPECT_EQ(h.press, "760.0");
        EXPECT_EQ(h.height, "1.513");
    }
    EXPECT_EQ(ReadGsiStationHeader("410001+00000000 42....+00001001 43....+0001.513", "tc800").height,
              "1.513");
}

TEST_F(GsiConvert, StationHeaderMissingAndUnreadableWords) {
    // Absent words count as "0", except the weather, which is the default
    // weather of a station without header (never 0 °C and 0 mmHg).
    const auto bare = ReadGsiStationHeader("410001+00000000 ", "TS");
    EXPECT_EQ(bare.name, "0");
    EXPECT_EQ(bare.temp, "12.0");
    EXPECT_EQ(bare.press, "760.1");
    EXPECT_EQ(bare.height, "0.000");
    // Words that are not numbers.
    const auto bad = ReadGsiStationHeader("410001+000000S1 42....+0000A120 43....+76OO.... 44....+1.45.8  ", "TS");
    EXPECT_EQ(bad.name, "S1");
    EXPECT_EQ(bad.temp, "-99.9");
    EXPECT_EQ(bad.press, "0");
    EXPECT_EQ(bad.height, "0.0");
    // A header line of 11 GSI8 words has no words at all: station "0" with
    // the style's values for absent words; 10 words are still read.
    std::string ten = "410001+00000007 ";
    for (int i = 0; i < 9; ++i) ten += "49....+00000001 ";
    EXPECT_EQ(ReadGsiStationHeader(ten, "TS").name, "7");
    const auto eleven = ReadGsiStationHeader(ten + "49....+00000001 ", "covadis");
    EXPECT_EQ(eleven.name, "0");
    EXPECT_EQ(eleven.height, "0.000");
}

TEST_F(GsiConvert, MeasurementLineOfTheTextBook) {
    const auto book = GsiToTextBook({"410001+00001001 42....+00000120 43....+00007600 44....+00001458",
                                     kMeasurement},
                                    "TS");
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0], " station 1001     Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.458");
    EXPECT_EQ(book[1],
              "  numero A12      AH_gr 123.45678 AV_gr  98.76543 Dp_m   12.3450 ppm_cste_mm 0012+034 hv_m     1.600");

    // Names are padded to 8 characters, not bytes.
    const auto accented = GsiToTextBook({"410001+000S\xC3\xA9t\xC3\xA9 ", "110002+0000P\xC3\xA9" "12 "}, "TS");
    ASSERT_EQ(accented.size(), 2u);
    EXPECT_EQ(accented[0].substr(0, 28), " station S\xC3\xA9t\xC3\xA9     Temp_deg");
    EXPECT_EQ(accented[1].substr(0, 24), "  numero P\xC3\xA9" "12     AH_gr");

    Param().longueur = 3;
    const auto m = ReadGsiMeasurement(kMeasurement, Param().longueur);
    EXPECT_EQ(m.dp, "12.345");
    EXPECT_EQ(m.ppm, "12");
    EXPECT_EQ(m.cste, "0.034");
    EXPECT_EQ(m.hv, "    1.600");
}

TEST_F(GsiConvert, LinesWithoutWordsAndBooksWithoutStation) {
    const std::string empty =
        "  numero 0        AH_gr    0.0000 AV_gr    0.0000 Dp_m    0.0000 ppm_cste_mm 0000+000 hv_m     0.000";
    // 17 GSI8 words: more than 20 slices once the blanks are appended.
    const auto book = GsiToTextBook({"", "710001+00000001 ", MeasurementOfWords(17), "   ",
                                     MeasurementOfWords(16)},
                                    "TS");
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[0], " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ");
    EXPECT_EQ(book[1], empty);
    EXPECT_EQ(book[2].substr(0, 17), "  numero P100    ");
    // A measurement line cut before its data.
    EXPECT_EQ(GsiToTextBook({"110001"}, "TS")[1], empty);
}

TEST_F(GsiConvert, Gsi16Lines) {
    const std::string line =
        "*110012+0000000000000A12 21.322+0000000012345678 22.322+0000000009876543 "
        "31..06+0000000000123456 51....+000000000012-034 87..16+0000000000016000 ";
    const auto m = ReadGsiMeasurement(line, 4);
    EXPECT_EQ(m.name, "A12");
    EXPECT_EQ(m.hz, "123.45678");
    EXPECT_EQ(m.v, "98.76543");
    EXPECT_EQ(m.dp, "12.3456");
    EXPECT_EQ(m.ppmValue, 12);
    EXPECT_EQ(m.cste, "-0.034");
    EXPECT_EQ(m.hv, "    1.600");

    // Only the first 17 slices of a GSI16 line are looked at.
    std::string longLine = "*110001+0000000000000P01 ";
    for (int i = 0; i < 16; ++i) longLine += "71....+0000000000000001 ";
    EXPECT_EQ(ReadGsiMeasurement(longLine + "21.322+0000000010000000 ", 4).hz, "0.0000");
    longLine.resize(longLine.size() - 24);
    EXPECT_EQ(ReadGsiMeasurement(longLine + "21.322+0000000010000000 ", 4).hz, "100.00000");

    const TGsiWords w = SplitGsiWords("*410001+0000000000000S01 ", GsiLineKind::StationHeader);
    EXPECT_EQ(w.mode, 16);
    EXPECT_EQ(w.count, 8);  // 24 + 169 - 1 characters -> 8 slices of 24
    EXPECT_EQ(w.slices[0], "410001+0000000000000S01 ");
}

TEST_F(GsiConvert, UnitCodes) {
    EXPECT_DOUBLE_EQ(*GsiUnitValue(0, 12345), 12.345);
    EXPECT_NEAR(*GsiUnitValue(1, 1000), 0.3048, 1e-12);
    EXPECT_DOUBLE_EQ(*GsiUnitValue(2, 12345678), 123.45678);
    EXPECT_NEAR(*GsiUnitValue(3, 9000000), 100.0, 1e-12);  // 90° -> 100 gon
    EXPECT_NEAR(*GsiUnitValue(6, 123456), 12.3456, 1e-12);
    EXPECT_NEAR(*GsiUnitValue(7, 10000), 0.3048, 1e-12);
    EXPECT_NEAR(*GsiUnitValue(8, 1234567), 12.34567, 1e-12);
    // Sexagesimal degrees DDDMMSSs: 90°00'00.0" and 123°45'30.5".
    EXPECT_NEAR(*GsiUnitValue(4, 9000000), 100.0, 1e-12);
    EXPECT_NEAR(*GsiUnitValue(4, 12345305), (123 + 45 / 60.0 + 30.5 / 3600.0) / 0.9, 1e-12);
    EXPECT_NEAR(*GsiUnitValue(4, 35959599), 399.99997, 1e-5);
    // Mil, 6400 per turn, last digit 0.0001 mil: 1600 mil -> 100 gon.
    EXPECT_NEAR(*GsiUnitValue(5, 16000000), 100.0, 1e-12);
    EXPECT_NEAR(*GsiUnitValue(5, 32000000), 200.0, 1e-12);
    EXPECT_FALSE(GsiUnitValue(9, 1234).has_value());

    // Through the measurement words.
    const auto m = ReadGsiMeasurement("110001+00000001 21.323+09000000 22.324+12345305 31..00+00001000 ", 4);
    EXPECT_EQ(m.hz, "100.00000");
    EXPECT_EQ(m.v, "137.50941");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 21.325+16000000 ", 4).hz, "100.00000");

    std::vector<std::string> warnings;
    const auto w = ReadGsiMeasurement("110001+00000001 21.329+12345678 22.322+10000000 ", 4, 7, &warnings);
    EXPECT_EQ(w.hz, "0.00000");
    EXPECT_EQ(w.v, "100.00000");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Ligne 7"), std::string::npos);
    EXPECT_NE(warnings[0].find("mot 21"), std::string::npos);

    // A whole recording in an unknown unit: the first warnings and a count
    // (the first one says that the recording has no station).
    GsiReport report;
    GsiToXmlBook(std::vector<std::string>(30, "110001+00000001 21.329+12345678 22.329+10000000 "), "TS", &report);
    ASSERT_EQ(report.warnings.size(), 21u);
    EXPECT_NE(report.warnings[0].find("Ligne 1 : mesure avant toute station"), std::string::npos);
    EXPECT_NE(report.warnings[19].find("Ligne 10 "), std::string::npos);
    EXPECT_EQ(report.warnings[20], "... et 41 autres avertissements.");
}

TEST_F(GsiConvert, ReflectorHeightFollowsItsUnit) {
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..10+00001600 ", 4).hv, "    1.600");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..16+00016000 ", 4).hv, "    1.600");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..18+00160000 ", 4).hv, "    1.600");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..11+00005249 ", 4).hv, "    1.600");  // feet
    // A unit character outside the table: millimetres.
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87....+00001600 ", 4).hv, "    1.600");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..19+00001600 ", 4).hv, "    1.600");
    EXPECT_EQ(ReadGsiMeasurement("110001+00000001 87..10-00001600 ", 4).hv, "   -1.600");
}

TEST_F(GsiConvert, UnreadableValuesStopWithTheLineNumber) {
    const std::vector<std::vector<std::string>> cases = {
        {"410001+00000001 ", "", "110001+00000001 21.32.+12345678 "},  // unit code
        {"410001+00000001 ", "", "110001+00000001 31..00+0001A345 "},  // data
        {"410001+00000001 ", "", "110001+00000001 51....+00x2+034 "},  // ppm
        {"410001+00000001 ", "", "110001+00000001 51....+0012+0x4 "},  // constant
        {"410001+00000001 ", "", "110001+00000001 87..10+0000A600 "},  // height
        // Lines ended by CR inside one source line count one by one; a CR
        // at the end of a line does not start another.
        {"410001+00000001 \r\r110001+00000001 31..00+0001A345 "},
        {"410001+00000001 \r", "", "110001+00000001 31..00+0001A345 \r"},
    };
    for (const auto& lines : cases) {
        for (int xml = 0; xml < 2; ++xml) {
            try {
                if (xml) GsiToXmlBook(lines, "TS");
                else GsiToTextBook(lines, "TS");
                ADD_FAILURE() << lines.back();
            } catch (const GsiConversionError& e) {
                EXPECT_EQ(e.lineNumber(), 3);
                EXPECT_NE(std::string(e.what()).find("ligne 3"), std::string::npos) << e.what();
            }
        }
    }
}

TEST_F(GsiConvert, PpmConstantToken) {
    EXPECT_EQ(GsiPpmConstantToken(12, 0.034), "0012+034");
    EXPECT_EQ(GsiPpmConstantToken(-12, -0.034), "-0012-034");
    EXPECT_EQ(GsiPpmConstantToken(0, -0.0), "0000+000");
    EXPECT_EQ(GsiPpmConstantToken(12345, 0.5), "12345+500");
}

TEST_F(GsiConvert, RecordingQuirks) {
    // Several blocks on one line, a CR inside, words without the final
    // blank: the same book as the clean recording.
    const std::vector<std::string> clean = {
        "410001+00000005 42....+00000150 43....+00007500 44....+00001600 ",
        "110002+00000006 21.322+01000000 22.322+10000000 31..00+00010000 ",
        "110003+00000007 21.322+02000000 22.322+10000000 31..00+00020000 ",
    };
    const std::vector<std::string> packed = {
        "\x02" + clean[0] + clean[1] + clean[2].substr(0, clean[2].size() - 1) + "\r",
    };
    const std::vector<std::string> crOnly = {clean[0] + "\r" + clean[1] + "\r" + clean[2] + "\r\x1a"};
    GsiReport report;
    const auto expected = GsiToTextBook(clean, "TS", &report);
    EXPECT_EQ(report.stationCount, 1);
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_EQ(GsiToTextBook(packed, "TS"), expected);
    EXPECT_EQ(GsiToTextBook(crOnly, "TS"), expected);

    // GSI16 blocks one after the other.
    const std::string a = "*110001+00000000000000P1 21.322+0000000001000000 ";
    const std::string b = "*110002+00000000000000P2 21.322+0000000002000000 ";
    const auto blocks = SplitGsiBlocks(a + b);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0], a);
    EXPECT_EQ(blocks[1], b);

    // Other lines are left whole and produce nothing.
    EXPECT_EQ(SplitGsiBlocks("710001+00000001 110002+00000002 ").size(), 1u);
    EXPECT_EQ(GsiToTextBook({" 110001+00000001 ", "710001+00000001 110002+00000002 ", "410001+00000001 "}, "TS").size(),
              1u);
}

TEST_F(GsiConvert, XmlBookText) {
    GsiReport report;
    const auto xml = GsiToXmlBook({kMeasurement, "", "410001+00001001 42....+00000120 43....+00007600 44....+00001458",
                                   "*110013+0000000000000B&1 21.322+0000000012345678 "},
                                  "TS", &report);
    EXPECT_EQ(report.stationCount, 1);
    const std::vector<std::string> expected = {
        R"(<?xml version="1.0" encoding="ISO-8859-1"?>)",
        R"(<carnet>)",
        R"(   <etalonnages>)",
        R"(      <!--Attention : le terme M est soustractif ; il s'agit de l'erreur et non de la constante de prisme-->)",
        R"(      <etalonnage id="defaut" num="0" serial="0" methode="" P="3" Ddep="0" Dmax="3000" M="+0.0000" )"
        R"(deg_Fourier="0" deg_polynome="0" n_corr_interp="0" lambda_um="0.85" T0_K="285.15" P0_mmHg="760.0" />)",
        R"(   </etalonnages>)",
        R"(   <stations>)",
        R"(      <station num="1" pt_sta="0" temp="12.0" press="760.1" Ht="0.000" etalonnage="0">)",
        R"(         <rawdata>)",
        R"(            <obs pt_vis="A12" Hz="123.45678" V="98.76543" Dp="12.3450" Hv="1.600" ppm="12" cste="0.034" />)",
        R"(         </rawdata>)",
        R"(      </station>)",
        R"(      <station num="2" pt_sta="1001" temp="12.0" press="760.0" Ht="1.458" etalonnage="0">)",
        R"(         <rawdata>)",
        R"(            <obs pt_vis="B&amp;1" Hz="123.45678" V="0.0000" Dp="0.0000" Hv="0.000" ppm="0" cste="0.000" />)",
        R"(         </rawdata>)",
        R"(      </station>)",
        R"(   </stations>)",
        R"(</carnet>)",
    };
    EXPECT_EQ(xml, expected);

    // A station without measurements keeps an empty rawdata element.
    const auto lone = GsiToXmlBook({"410001+00000009 "}, "TS");
    EXPECT_NE(std::find(lone.begin(), lone.end(), "         <rawdata />"), lone.end());
}

TEST_F(GsiConvert, XmlBookNamesStayWellFormed) {
    // Markup characters are escaped; a tab is kept as a reference; other
    // control characters cannot appear in an XML document and become "?".
    const auto xml = GsiToXmlBook({"110001+00A\x01<\"&1 ", "110002+0B\t'>\x1f" "2 "}, "TS");
    ASSERT_EQ(xml.size(), 15u);
    EXPECT_EQ(xml[9].substr(0, 49), "            <obs pt_vis=\"A?&lt;&quot;&amp;1\" Hz=\"");
    EXPECT_EQ(xml[10].substr(0, 41), "            <obs pt_vis=\"B&#09;'>?2\" Hz=\"");
}

TEST_F(GsiConvert, NameWithAnInnerBlankBecomesUnderscoreWithAWarning) {
    // The books are blank-separated: "BM 1" would be two words and shift
    // every field after it.
    const std::vector<std::string> lines = {"410001+0000ST 7 42....+00000120 43....+00007600 44....+00001458",
                                            "110002+0000BM 1 21.322+01000000 22.322+10000000 31..00+00010000 "};
    GsiReport text, xml;
    const auto book = GsiToTextBook(lines, "TS", &text);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].rfind(" station ST_7     Temp_deg", 0), 0u) << book[0];
    EXPECT_EQ(book[1].rfind("  numero BM_1     AH_gr", 0), 0u) << book[1];
    const std::vector<std::string> told = {"Ligne 1 : le nom de point \"ST 7\" contient un blanc, écrit \"ST_7\".",
                                           "Ligne 2 : le nom de point \"BM 1\" contient un blanc, écrit \"BM_1\"."};
    EXPECT_EQ(text.warnings, told);
    const auto doc = GsiToXmlBook(lines, "TS", &xml);
    EXPECT_EQ(xml.warnings, told);
    EXPECT_NE(std::find_if(doc.begin(), doc.end(),
                           [](const std::string& l) { return l.find("pt_vis=\"BM_1\"") != std::string::npos; }),
              doc.end());
}
