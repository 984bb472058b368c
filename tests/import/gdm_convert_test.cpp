// Trimble GDM recordings to text and XML field books.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fieldbook/model.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/gdm_convert.hpp"

using namespace kestrova;

namespace {

using Lines = std::vector<std::string>;

bool Contains(const Lines& lines, const std::string& wanted) {
    for (const std::string& l : lines)
        if (l == wanted) return true;
    return false;
}

std::string Joined(const Lines& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

const Lines kSimple = {"74=1013.2", "56=15", "2=S1", "3=1560", "5=P1", "6=1.6", "7=123.4567", "8=98.7654", "9=12.345"};

}  // namespace

TEST(GdmTextForms, HeightsAnglesAndDistances) {
    EXPECT_DOUBLE_EQ(NormaliseHeight(4.999), 4.999);
    EXPECT_DOUBLE_EQ(NormaliseHeight(15.6), 1.56);
    EXPECT_DOUBLE_EQ(NormaliseHeight(156), 1.56);
    EXPECT_DOUBLE_EQ(NormaliseHeight(1560), 1.56);
    EXPECT_DOUBLE_EQ(NormaliseHeight(15600), 1.56);

    EXPECT_EQ(FormatAngleText("123.4567"), "123.45670");
    EXPECT_EQ(FormatAngleText("98.7654"), "098.76540");
    EXPECT_EQ(FormatAngleText("17"), "017.00000");
    EXPECT_EQ(FormatAngleText(".5"), "000.50000");
    EXPECT_EQ(FormatAngleText("12.1234567"), "012.12345");  // cut, not rounded
    EXPECT_EQ(FormatDistanceText("12.345"), "0012.3450");
    EXPECT_EQ(FormatDistanceText("12345.67899"), "12345.6789");
    EXPECT_EQ(FormatDistanceText(".25"), "    .2500");
    EXPECT_THROW(FormatAngleText(""), std::invalid_argument);
    EXPECT_THROW(FormatAngleText("12.3.4"), std::invalid_argument);
    EXPECT_THROW(FormatDistanceText("1E3"), std::invalid_argument);
}

TEST(GdmTextBook, StationWeatherAndTarget) {
    const GdmBook book = GdmToTextBook(kSimple);
    EXPECT_EQ(book.stationCount, 1);
    EXPECT_EQ(book.lines, (Lines{" station S1       Temp_deg 15.0     Press_mmHg 759.9    ht_m 1.5600  ",
                                 "  numero P1               AH_gr 123.45670 AV_gr 098.76540 Dp_m  0012.3450 "
                                 "ppm_cste_mm 0000+000 hv_m 1.6000  "}));
}

TEST(GdmTextBook, DefaultsAndLongNames) {
    // A target without any angle or distance is no pointing (left out and
    // counted); the texts of the fields not measured keep their defaults; a
    // station without "3=" ends with "ht_m ".
    GdmBook book = GdmToTextBook({"5=A", "", "2=STATION_LONGUE", "5=B", "9=3"});
    EXPECT_EQ(book.stationCount, 1);
    ASSERT_EQ(book.warnings.size(), 1u);
    EXPECT_NE(book.warnings[0].find("1 point visé sans angle ni distance"), std::string::npos) << book.warnings[0];
    EXPECT_EQ(book.lines, (Lines{" station STATION_LONGUE Temp_deg 12.0     Press_mmHg 760.1    ht_m ",
                                 "  numero B                AH_gr 000.0000 AV_gr 000.0000 Dp_m  0003.0000 "
                                 "ppm_cste_mm 0000+000 hv_m 0.000   "}));
    book = GdmToTextBook({"5=A", "7=1"});
    ASSERT_EQ(book.lines.size(), 2u);
    EXPECT_EQ(book.stationCount, 0);
    EXPECT_EQ(book.lines[0], " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ");
}

TEST(GdmTextBook, UnreadableMeasureStopsAndNamesTheLine) {
    for (const char* bad : {"8=", "18=9x", "9=12,5", "7=abc"}) {
        try {
            GdmToTextBook({"2=S1", "5=P1", "6=1.5", bad, "5=P2"});
            ADD_FAILURE() << bad;
        } catch (const GdmConversionError& e) {
            EXPECT_EQ(e.lineNumber(), 4) << bad;
            EXPECT_NE(std::string(e.what()).find("ligne 4"), std::string::npos) << e.what();
        }
    }
    // Values the route does not read as numbers stay lenient: a height or
    // a weather value that is not a number.
    const GdmBook book = GdmToTextBook({"56=abc", "2=S1", "3=x", "5=P1", "6=haut", "9=10"});
    ASSERT_EQ(book.lines.size(), 2u);
    EXPECT_EQ(book.lines[0], " station S1       Temp_deg 12.0     Press_mmHg 760.1    ht_m ");
    EXPECT_EQ(book.lines[1].substr(book.lines[1].size() - 10), " hv_m haut");
}

TEST(GdmXmlBook, StationWeatherAndTarget) {
    const GdmBook book = GdmToXmlBook(kSimple);
    EXPECT_EQ(Joined(book.lines),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<carnet>\n"
              "   <stations>\n"
              "      <station num=\"1\" pt_sta=\"S1\" temp=\"15.0    \" press=\"759.9   \" Ht=\"1.560   \" "
              "etalonnage=\"0\">\n"
              "         <rawdata>\n"
              "            <obs num=\"1\" pt_vis=\"P1\" Hv=\"1.6000  \" Hz=\"123.4567\" V=\"98.7654\" Dp=\"12.345\" "
              "ppm=\"0\" cste=\"0\" />\n"
              "         </rawdata>\n"
              "      </station>\n"
              "   </stations>\n"
              "</carnet>\n");
}

TEST(GdmXmlBook, DefaultStationAndMissingLabels) {
    // No "2=": one default station; a face-right label stands in for a
    // missing face-left one; a station without "3=" gets "0.000   ".
    const GdmBook book = GdmToXmlBook({"5=P1 code", "17=12.5", "8=100", "2=S2", "5=P2", "9=4"});
    EXPECT_TRUE(Contains(book.lines, "      <station num=\"1\" pt_sta=\"0\" temp=\"12.0\" press=\"760.1\" Ht=\"0.000\" "
                                     "etalonnage=\"0\">"))
        << Joined(book.lines);
    EXPECT_TRUE(Contains(book.lines, "            <obs num=\"1\" pt_vis=\"P1\" Hv=\"0.000\" Hz=\"12.5\" V=\"100\" Dp=\"\" "
                                     "ppm=\"0\" cste=\"0\" />"))
        << Joined(book.lines);
    EXPECT_TRUE(Contains(book.lines, "      <station num=\"1\" pt_sta=\"S2\" temp=\"12.0\" press=\"760.1\" "
                                     "Ht=\"0.000   \" etalonnage=\"0\">"))
        << Joined(book.lines);
    // Lines without any station or target record are no GDM recording.
    EXPECT_THROW(GdmToXmlBook({}), GdmConversionError);
    EXPECT_THROW(GdmToTextBook({"DATE TIME CYCLE", "01/02/2021 10:00:00 1"}), GdmConversionError);
    EXPECT_THROW(GdmToTextBook({"2=S1", std::string("5=P\0\0", 5)}), GdmConversionError);
}

// Real instruments put other records inside a point's block (a "4=" code
// line, coordinates "37=" "38=" "39=") and the instrument height "3=" may
// come many lines after "2=". Both routes look through the whole block,
// and "37=498.8" is never a height.
TEST(GdmBothRoutes, RecordsInsideBlocks) {
    const Lines lines = {"2=ST1", "21=0.0", "4=STATION", "37=5123.456", "38=2104.330", "39=498.812", "23=1",
                         "24=0",  "25=0",   "26=0",      "22=0",        "3=1542",      "5=101",      "4=BORNE",
                         "37=498.8", "6=1.6", "7=0.0012", "38=12", "8=99.8765", "39=4", "9=124.5678", "5=102",
                         "2=ST2", "7=5"};
    const GdmBook text = GdmToTextBook(lines);
    EXPECT_EQ(text.lines, (Lines{" station ST1      Temp_deg 12.0     Press_mmHg 760.1    ht_m 1.5420  ",
                                 "  numero 101              AH_gr 000.00120 AV_gr 099.87650 Dp_m  0124.5678 "
                                 "ppm_cste_mm 0000+000 hv_m 1.6000  ",
                                 // "5=102" has an empty block: no pointing; the
                                 // "7=" after "2=ST2" belongs to the station.
                                 " station ST2      Temp_deg 12.0     Press_mmHg 760.1    ht_m "}));
    const GdmBook xml = GdmToXmlBook(lines);
    EXPECT_TRUE(Contains(xml.lines, "      <station num=\"1\" pt_sta=\"ST1\" temp=\"12.0\" press=\"760.1\" "
                                    "Ht=\"1.542   \" etalonnage=\"0\">"))
        << Joined(xml.lines);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"1\" pt_vis=\"101\" Hv=\"1.6000  \" Hz=\"0.0012\" "
                                    "V=\"99.8765\" Dp=\"124.5678\" ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);
    // The XML route skips the block of "5=102", which holds no measure,
    // and says so.
    EXPECT_EQ(Joined(xml.lines).find("pt_vis=\"102\""), std::string::npos) << Joined(xml.lines);
    EXPECT_NE(Joined(xml.warnings).find("1 point visé sans angle ni distance"), std::string::npos)
        << Joined(xml.warnings);
    // "37=" right after "2=" is not the instrument height.
    const GdmBook coord = GdmToXmlBook({"2=S", "37=498.8", "5=P"});
    EXPECT_TRUE(Contains(coord.lines, "      <station num=\"1\" pt_sta=\"S\" temp=\"12.0\" press=\"760.1\" "
                                      "Ht=\"0.000   \" etalonnage=\"0\">"))
        << Joined(coord.lines);
}

// The XML route's padded texts ("18.0    ", "1.542   ", "1.6000  ") read
// back as the recorded weather and heights, not as the defaults.
TEST(GdmXmlBook, ReadsBackWithItsWeatherAndHeights) {
    const GdmBook xml = GdmToXmlBook({"56=18", "74=1008.5", "2=ST1", "3=1542", "5=101", "6=1.6", "7=0.0012",
                                      "8=99.8765", "9=124.5678"});
    Tday_obs book;
    ASSERT_TRUE(ReadXmlBook(book, xml.lines));
    ASSERT_EQ(book.stations.size(), 1u);
    const TStation& s = book.stations[0];
    EXPECT_DOUBLE_EQ(s.temp, 18.0);
    EXPECT_NEAR(s.press, 756.4, 1e-9);
    EXPECT_NEAR(s.Ht, 1.542, 1e-9);
    ASSERT_EQ(s.obs.size(), 1u);
    EXPECT_NEAR(s.obs[0].Hv, 1.6, 1e-9);
    EXPECT_NEAR(s.obs[0].Dp, 124.5678, 1e-9);
    EXPECT_DOUBLE_EQ(s.obs[0].temp, 18.0);
}

// A recording in degrees written ddd.mmss: "23=2112" says so, or the unit
// chosen for the conversion. 84°04'59" is 93.42562 gon, 95°12'30"
// 105.78704 gon; the horizontal distance 100 m at that zenith angle is the
// slope distance 100 / sin(95°12'30") = 100.4146 m.
TEST(GdmDegrees, DmsAnglesBecomeGonsInBothRoutes) {
    const Lines dms = {"0=Job en degrés", "2=ST1", "3=1.550", "5=P1", "6=1.600", "7=84.0459", "8=95.1230",
                       "11=100.000", "5=P1", "6=1.600", "17=264.0459", "18=264.4730", "9=100.4150", "5=ST1",
                       "4=STATION"};
    const Lines expected = {
        " station ST1      Temp_deg 12.0     Press_mmHg 760.1    ht_m 1.5500  ",
        "  numero P1               AH_gr 093.42562 AV_gr 105.78704 Dp_m  0100.4146 ppm_cste_mm 0000+000 hv_m 1.6000  ",
        "  numero P1               AH_gr 293.42562 AV_gr 294.21296 Dp_m  0100.4150 ppm_cste_mm 0000+000 hv_m 1.6000  "};
    // "5=ST1" without measures (the station's own point) is no pointing.
    EXPECT_EQ(GdmToTextBook(dms, GdmAngleUnit::Dms).lines, expected);
    Lines labelled = dms;
    labelled.insert(labelled.begin() + 1, "23=2112");
    const GdmBook fromLabel = GdmToTextBook(labelled);
    EXPECT_EQ(fromLabel.lines, expected);
    ASSERT_EQ(fromLabel.warnings.size(), 1u);  // the block of ST1 only, no word on units
    EXPECT_NE(fromLabel.warnings[0].find("sans angle ni distance"), std::string::npos) << fromLabel.warnings[0];

    const GdmBook xml = GdmToXmlBook(labelled);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"1\" pt_vis=\"P1\" Hv=\"1.6000  \" Hz=\"93.42562\" "
                                    "V=\"105.78704\" Dp=\"100.4146\" ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"2\" pt_vis=\"P1\" Hv=\"1.6000  \" Hz=\"293.42562\" "
                                    "V=\"294.21296\" Dp=\"100.4150\" ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);

    // Decimal degrees: 123.5° is 137.22222 gon.
    EXPECT_EQ(GdmToTextBook({"2=S", "5=A", "7=123.5", "8=96.25"}, GdmAngleUnit::Degrees).lines[1].substr(0, 57),
              "  numero A                AH_gr 137.22222 AV_gr 106.94444");

    // Read as gons, the same file warns that it looks like degrees.
    const GdmBook asGons = GdmToTextBook(dms);
    ASSERT_EQ(asGons.warnings.size(), 2u);
    EXPECT_NE(asGons.warnings[1].find("semble être en degrés"), std::string::npos) << asGons.warnings[1];
    EXPECT_TRUE(GdmToTextBook(kSimple).warnings.empty());  // 98.7654 is no ddd.mmss
}

TEST(GdmLabels, OtherDirectionLabelsUnitsAndUnreadableValues) {
    // 24 and 21 are face-left directions like 7, 25 a zenith angle like 8.
    const Lines lines = {"2=S", "5=A", "24=12.5", "25=99.5", "9=10", "5=B", "21=300", "8=101", "9=20"};
    const GdmBook text = GdmToTextBook(lines);
    EXPECT_EQ(text.lines[1].substr(0, 57), "  numero A                AH_gr 012.50000 AV_gr 099.50000");
    EXPECT_EQ(text.lines[2].substr(0, 57), "  numero B                AH_gr 300.00000 AV_gr 101.00000");
    const GdmBook xml = GdmToXmlBook(lines);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"1\" pt_vis=\"A\" Hv=\"0.000\" Hz=\"12.5\" V=\"99.5\" "
                                    "Dp=\"10\" ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);

    // A horizontal distance without zenith angle is not taken, with a word.
    const GdmBook flat = GdmToXmlBook({"2=S", "5=A", "7=1.9", "11=50"});
    EXPECT_TRUE(Contains(flat.lines, "            <obs num=\"1\" pt_vis=\"A\" Hv=\"0.000\" Hz=\"1.9\" V=\"\" Dp=\"\" "
                                     "ppm=\"0\" cste=\"0\" />"))
        << Joined(flat.lines);
    ASSERT_EQ(flat.warnings.size(), 1u);
    EXPECT_NE(flat.warnings[0].find("ligne 4 : distance horizontale du point A sans angle zénithal"),
              std::string::npos);

    // A units record other than 2112 is named, with the unit used.
    const GdmBook units = GdmToTextBook({"23=3311", "2=S", "5=A", "7=1", "8=99.8765"});
    ASSERT_EQ(units.warnings.size(), 1u);
    EXPECT_EQ(units.warnings[0], "ligne 1 : unités « 23=3311 » non reconnues (seul 2112, degrés ddd.mmss et mètres, "
                                 "est connu) : les angles sont lus en grades.");

    // The XML route no longer copies a value that is not a number.
    for (const char* bad : {"7=nan", "8=", "9=12x", "11=1,5"}) {
        try {
            GdmToXmlBook({"2=S1", "5=P1", "6=1.5", bad, "5=P2"});
            ADD_FAILURE() << bad;
        } catch (const GdmConversionError& e) {
            EXPECT_EQ(e.lineNumber(), 4) << bad;
            EXPECT_NE(std::string(e.what()).find("ligne 4"), std::string::npos) << e.what();
        }
    }
}
