// The XML field book made from a GSI recording, read back by the field-book
// reader after the file layer's Latin-1 round trip.
#include <gtest/gtest.h>

#include "base/encoding.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "import/gsi_convert.hpp"

using namespace kestrova;

namespace {

Tday_obs ReadBack(const std::vector<std::string>& xml) {
    const std::string bytes = EncodeTextLines(xml, FileEncoding::Latin1Xml);
    Tday_obs book;
    book.LoadFromLines(SplitTextLines(DecodeFileText(bytes)));
    return book;
}

}  // namespace

TEST(GsiXmlBook, ReadsBackToTheConvertedValues) {
    Param().longueur = 4;
    const std::vector<std::string> gsi = {
        "410001+00000S\xC3\xA9" "1 42....+00000215 43....+00007423 44....+00001562 ",
        "110002+000000P1 21.322+01234567 22.322+09876543 31..00+00123456 51....-0012-034 87..10+00001600 ",
        "*110003+00000000000000P2 21.322+0000000020000000 22.322+0000000030000000 "
        "31..06+0000000000123456 51....+000000000005+012 87..16+0000000000011000 ",
        "410004+000000S2 ",
        "110005+000000P1 21.323+18000000 22.324+27000000 ",
    };
    const Tday_obs book = ReadBack(GsiToXmlBook(gsi, "TS"));
    ASSERT_EQ(book.nb_stat, 2);
    ASSERT_EQ(book.stations.size(), 2u);

    const TStation& s1 = book.stations[0];
    EXPECT_EQ(s1.pt_sta, "S\xC3\xA9" "1");
    EXPECT_DOUBLE_EQ(s1.temp, 21.5);
    EXPECT_DOUBLE_EQ(s1.press, 742.3);
    EXPECT_DOUBLE_EQ(s1.Ht, 1.562);
    ASSERT_EQ(s1.obs.size(), 2u);
    EXPECT_EQ(s1.obs[0].pt_vis, "P1");
    EXPECT_DOUBLE_EQ(s1.obs[0].Hz, 12.34567);
    EXPECT_DOUBLE_EQ(s1.obs[0].V, 98.76543);
    EXPECT_DOUBLE_EQ(s1.obs[0].Dp, 123.456);
    EXPECT_DOUBLE_EQ(s1.obs[0].Hv, 1.6);
    EXPECT_DOUBLE_EQ(s1.obs[0].ppm, -12.0);
    EXPECT_DOUBLE_EQ(s1.obs[0].cste, -0.034);
    EXPECT_DOUBLE_EQ(s1.obs[0].temp, 21.5);  // from the station
    EXPECT_EQ(s1.obs[1].pt_vis, "P2");
    EXPECT_DOUBLE_EQ(s1.obs[1].Hz, 200.0);
    EXPECT_DOUBLE_EQ(s1.obs[1].V, 300.0);
    EXPECT_EQ(s1.obs[1].cercle, 2);
    EXPECT_DOUBLE_EQ(s1.obs[1].Dp, 12.3456);
    EXPECT_DOUBLE_EQ(s1.obs[1].Hv, 1.1);
    EXPECT_DOUBLE_EQ(s1.obs[1].ppm, 5.0);
    EXPECT_DOUBLE_EQ(s1.obs[1].cste, 0.012);

    const TStation& s2 = book.stations[1];
    EXPECT_EQ(s2.pt_sta, "S2");
    EXPECT_DOUBLE_EQ(s2.temp, 12.0);  // no weather words: the default weather
    EXPECT_DOUBLE_EQ(s2.press, 760.1);
    ASSERT_EQ(s2.obs.size(), 1u);
    EXPECT_NEAR(s2.obs[0].Hz, 200.0, 1e-9);   // 180 decimal degrees
    EXPECT_NEAR(s2.obs[0].V, 300.0, 1e-9);    // 270°00'00.0"
    // Every station and pointing ends on the neutral calibration.
    for (const TStation& s : book.stations) {
        ASSERT_NE(s.calibration, nullptr);
        EXPECT_EQ(s.calibration->num, 0);
        EXPECT_EQ(s.calibration->id, "defaut");
    }
}

TEST(GsiXmlBook, MeasurementsBeforeAnyStationGoToADefaultStation) {
    Param().longueur = 4;
    const Tday_obs book = ReadBack(GsiToXmlBook(
        {"110001+000000P1 21.322+01000000 ", "110002+000000P2 21.322+02000000 ", "410003+000000S1 "}, "TS"));
    ASSERT_EQ(book.stations.size(), 2u);
    // The default station is named "0", and keeps that name.
    EXPECT_EQ(book.stations[0].pt_sta, "0");
    EXPECT_DOUBLE_EQ(book.stations[0].temp, 12.0);
    EXPECT_DOUBLE_EQ(book.stations[0].press, 760.1);
    EXPECT_EQ(book.stations[0].obs.size(), 2u);
    EXPECT_EQ(book.stations[1].pt_sta, "S1");
    EXPECT_TRUE(book.stations[1].obs.empty());
}
