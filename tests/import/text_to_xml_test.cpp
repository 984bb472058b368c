// The XML form of a text field book, as the conversion command gives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fieldbook/model.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/text_to_xml.hpp"

using namespace kestrova;

TEST(TextToXml, EmptyBookGivesEmptySections) {
    const TextToXmlResult r = ConvertTextBookToXml({});
    EXPECT_EQ(r.xml, (std::vector<std::string>{"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<carnet>",
                                               "   <etalonnages>", "   </etalonnages>", "   <stations>",
                                               "   </stations>", "</carnet>"}));
    EXPECT_TRUE(r.warning.empty());
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
