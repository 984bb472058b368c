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
    // No "2=": the default station first; a target without measures keeps
    // the default texts; a station without "3=" ends with "ht_m ".
    GdmBook book = GdmToTextBook({"5=A", "", "2=STATION_LONGUE", "5=B", "9=3"});
    EXPECT_EQ(book.stationCount, 1);
    EXPECT_EQ(book.lines, (Lines{"  numero A                AH_gr 000.0000 AV_gr 000.0000 Dp_m  0000.0000 "
                                 "ppm_cste_mm 0000+000 hv_m 0.000   ",
                                 " station STATION_LONGUE Temp_deg 12.0     Press_mmHg 760.1    ht_m ",
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
    const GdmBook book = GdmToTextBook({"56=abc", "2=S1", "3=x", "5=P1", "6=haut"});
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
    // No "2=": one default station; labels 17/18 are the text route's only;
    // a station without "3=" gets "0.000   ".
    const GdmBook book = GdmToXmlBook({"5=P1 code", "17=12.5", "8=100", "2=S2", "5=P2"});
    EXPECT_TRUE(Contains(book.lines, "      <station num=\"1\" pt_sta=\"0\" temp=\"12.0\" press=\"760.1\" Ht=\"0.000\" "
                                     "etalonnage=\"0\">"))
        << Joined(book.lines);
    EXPECT_TRUE(Contains(book.lines, "            <obs num=\"1\" pt_vis=\"P1\" Hv=\"0.000\" Hz=\"\" V=\"100\" Dp=\"\" "
                                     "ppm=\"0\" cste=\"0\" />"))
        << Joined(book.lines);
    EXPECT_TRUE(Contains(book.lines, "      <station num=\"1\" pt_sta=\"S2\" temp=\"12.0\" press=\"760.1\" "
                                     "Ht=\"0.000   \" etalonnage=\"0\">"))
        << Joined(book.lines);
    EXPECT_EQ(GdmToXmlBook({}).lines,
              (Lines{"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<carnet>", "   <stations />", "</carnet>"}));
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
                                 // "5=102" has an empty block: the "7=" after
                                 // "2=ST2" belongs to the station.
                                 "  numero 102              AH_gr 000.0000 AV_gr 000.0000 Dp_m  0000.0000 "
                                 "ppm_cste_mm 0000+000 hv_m 0.000   ",
                                 " station ST2      Temp_deg 12.0     Press_mmHg 760.1    ht_m "}));
    const GdmBook xml = GdmToXmlBook(lines);
    EXPECT_TRUE(Contains(xml.lines, "      <station num=\"1\" pt_sta=\"ST1\" temp=\"12.0\" press=\"760.1\" "
                                    "Ht=\"1.542   \" etalonnage=\"0\">"))
        << Joined(xml.lines);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"1\" pt_vis=\"101\" Hv=\"1.6000  \" Hz=\"0.0012\" "
                                    "V=\"99.8765\" Dp=\"124.5678\" ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);
    EXPECT_TRUE(Contains(xml.lines, "            <obs num=\"2\" pt_vis=\"102\" Hv=\"0.000\" Hz=\"\" V=\"\" Dp=\"\" "
                                    "ppm=\"0\" cste=\"0\" />"))
        << Joined(xml.lines);
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
