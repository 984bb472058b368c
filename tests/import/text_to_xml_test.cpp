// The XML form of a text field book, as the conversion command gives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/text_to_xml.hpp"

using namespace kestrova;

TEST(TextToXml, WhatIsNoTextBookIsRefused) {
    EXPECT_THROW(ConvertTextBookToXml({}), TextToXmlError);
    EXPECT_THROW(ConvertTextBookToXml({"* commentaire", "", " prisme P cste_m 0.01"}), TextToXmlError);
    EXPECT_THROW(ConvertTextBookToXml({" station S", std::string("\xff\xfe s\0t\0", 8)}), TextToXmlError);
}

// The XML book reads back as the text book: station values, calibrations
// of the prisms, constants, heights of the height definitions, distance
// modes and comments of every pointing.
TEST(TextToXml, XmlBookReadsBackAsTheTextBook) {
    const std::vector<std::string> text = {
        "* Carnet -- essai",
        " prisme GPR1             cste_m 0.0000 ",
        " prisme MINI             cste_m 0.0175 * mini prisme",
        " point 2002             hv_m 1.5000 ",
        " station 1001     Temp_deg 14.5 Press_hPa 980.5  ht_m 1.4875 prisme GPR1 * station en hPa",
        "  numero 1002     AH_gr  12.34565 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0012+017 hv_m    1.6000",
        "  numero 2002     AH_gr 300.0097 AV_gr   98.7725 Dp_m   96.1151 ppm_cste_mm 0012+000 hv_m    1.3000 "
        "prisme MINI * borne",
        "* entre deux stations",
        " station 2001     Temp_deg 16.5 Press_mmHg 733.8  ht_m 1.4500 prisme AUTRE",
        "  numero B1       AH_gr  91.8320 AV_gr  101.2213 Dp_m   12.4415 ppm+mm 7 3 0.0000 mode RL "
        "* sans prisme",
        "  numero 1001     AH_gr  17.4996 AV_gr   98.1287 Dp_m   58.9034 ppm_cste_mm -0005-034 hv_m 1.6 prisme MINI",
        " point 1001             hv_m 1.7000 ",
    };
    const TextToXmlResult r = ConvertTextBookToXml(text);
    EXPECT_TRUE(r.warning.empty());
    Tday_obs fromText, fromXml;
    ReadTextBook(fromText, text);
    ASSERT_TRUE(ReadXmlBook(fromXml, r.xml)) << fromXml.erreur_lecture;
    ASSERT_EQ(fromXml.stations.size(), fromText.stations.size());
    for (size_t i = 0; i < fromText.stations.size(); ++i) {
        const TStation& a = fromText.stations[i];
        const TStation& b = fromXml.stations[i];
        EXPECT_EQ(b.pt_sta, a.pt_sta);
        EXPECT_EQ(b.temp, a.temp);
        EXPECT_EQ(b.press, a.press) << a.pt_sta;  // 980.5 hPa in mmHg, every decimal
        EXPECT_EQ(b.Ht, a.Ht);
        EXPECT_EQ(b.calibration->M, a.calibration->M) << a.pt_sta;
        ASSERT_EQ(b.obs.size(), a.obs.size());
        for (size_t k = 0; k < a.obs.size(); ++k) {
            const Tobs& o = a.obs[k];
            const Tobs& x = b.obs[k];
            EXPECT_EQ(x.pt_vis, o.pt_vis);
            EXPECT_EQ(x.Hz, o.Hz) << o.pt_vis;
            EXPECT_EQ(x.V, o.V);
            EXPECT_EQ(x.Dp, o.Dp);
            EXPECT_EQ(x.Hv, o.Hv) << o.pt_vis;
            EXPECT_EQ(x.ppm, o.ppm);
            EXPECT_DOUBLE_EQ(x.cste, o.cste) << o.pt_vis;
            EXPECT_EQ(x.calibration->M, o.calibration->M) << o.pt_vis;
            EXPECT_EQ(x.mode, o.mode) << o.pt_vis;
            EXPECT_EQ(x.commentaire.view(), o.commentaire.view());
        }
    }
    // The values a surveyor checks, by hand: the prism constant of 2002,
    // the height definitions of 2002 and 1001, the packed constant.
    EXPECT_DOUBLE_EQ(fromXml.stations[0].obs[1].calibration->M, -0.0175);
    EXPECT_DOUBLE_EQ(fromXml.stations[0].obs[1].Hv, 1.5);
    EXPECT_DOUBLE_EQ(fromXml.stations[1].obs[1].Hv, 1.7);
    EXPECT_DOUBLE_EQ(fromXml.stations[0].obs[0].cste, 0.017);
    EXPECT_TRUE(fromXml.stations[1].obs[0].mode);
    // The comment lines are kept as XML comments.
    bool kept = false;
    for (const std::string& l : r.xml) kept = kept || l == "   <!-- Carnet - - essai -->";
    EXPECT_TRUE(kept);
}

TEST(TextToXml, LinesReadInPartAreNamedAndTheRestIsKept) {
    const std::vector<std::string> book = {
        " station 1001     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420",
        "  numero 1002     AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0012+000 hv_m    1.6000",
        "  numero 1003     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 00x2+000 hv_m    1.6500",
        "  numero 2002     AH_gr  300.0097 AV_gr   98.7725 Dp_m   96.1151 ppm_cste_mm 0012+000 hv_m    1.5000",
        "  numero 2003     AH_gr  300.0097 AV_gr   98.7725 Dp_m   96.1151 ppm+mm 2.5 0 hv_m    1.5000",
    };
    const TextToXmlResult r = ConvertTextBookToXml(book);
    EXPECT_EQ(r.unreadLines, (std::vector<int>{3, 5}));
    EXPECT_EQ(r.warning, "Lecture du carnet incomplète à la ligne 3 : ligne lue en partie (et 1 autre ligne).");
    // What was read is in the book, which the XML reader takes back.
    Tday_obs read;
    ASSERT_TRUE(ReadXmlBook(read, r.xml));
    ASSERT_EQ(read.stations.size(), 1u);
    ASSERT_GE(read.stations[0].obs.size(), 2u);
    EXPECT_EQ(read.stations[0].obs[0].pt_vis, "1002");
    EXPECT_EQ(read.stations[0].obs[1].pt_vis, "2002");  // replaced the slot of the line read in part
}
