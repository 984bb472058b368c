// Field-book model: names, loading and form detection, calibration and
// height resolution.
#include <gtest/gtest.h>

#include <stdexcept>

#include <filesystem>

#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"

using namespace kestrova;

namespace {

bool TraceHas(const Tday_obs& b, const std::string& line) {
    for (const std::string& l : b.trace.lines)
        if (l == line) return true;
    return false;
}

}  // namespace

TEST(Names, StationNamesOfZerosAndMissingNamesBecomeZero) {
    // A name of zeros only is the point 0, never an empty station name.
    EXPECT_EQ(NormaliseStationName("000", true), "0");
    EXPECT_EQ(NormaliseStationName("0", false), "0");
    EXPECT_EQ(NormaliseStationName("", true), "0");
    EXPECT_EQ(NormaliseStationName("   ", false), "0");
    EXPECT_EQ(NormaliseStationName("0012", true), "12");
    EXPECT_EQ(NormaliseStationName("S1", true), "S1");
}

TEST(Names, TargetNamesOfZerosOrMissingBecomeZero) {
    EXPECT_EQ(NormaliseTargetName("000"), "0");
    EXPECT_EQ(NormaliseTargetName(""), "0");
    EXPECT_EQ(NormaliseTargetName("0012"), "12");
    EXPECT_EQ(NormaliseTargetName("007"), "7");
    EXPECT_EQ(NormaliseTargetName("A0012"), "A0012");
    EXPECT_EQ(NormaliseTargetName("\tB12 "), "B12");
}

TEST(Names, CutsCountCharactersNotBytes) {
    EXPECT_EQ(NormaliseTargetName("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(NormaliseStationName("ABCDEFGHIJKLMNOPQRST", true), "ABCDEFGHIJKLMNOP");
    // 20 accented characters keep 16 characters (32 bytes), not 16 bytes.
    std::string accents;
    for (int i = 0; i < 20; ++i) accents += "é";
    std::string expected;
    for (int i = 0; i < 16; ++i) expected += "é";
    EXPECT_EQ(NormaliseTargetName(accents), expected);
    EXPECT_EQ(NormaliseStationName(accents, false), expected);
    // The text reader trims before cutting; the XML reader cuts first.
    EXPECT_EQ(NormaliseStationName("    ABCDEFGHIJKLMNOP", true), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(NormaliseStationName("    ABCDEFGHIJKLMNOP", false), "ABCDEFGHIJKL");
}

TEST(Calibration, ConstructionValuesAndDerivedRefractivities) {
    TEtalonnage e;
    EXPECT_EQ(e.id, "default");
    EXPECT_EQ(e.num, -1);
    EXPECT_EQ(e.serial, 0);
    // The ini's single-precision values are taken as the decimals written.
    EXPECT_DOUBLE_EQ(e.lambda, 0.85);
    EXPECT_DOUBLE_EQ(e.T0, 285.15);
    EXPECT_DOUBLE_EQ(e.P0, 760.0);
    EXPECT_NEAR(e.NG0, 294.4975, 5e-5);
    EXPECT_NEAR(e.N0, 281.5041, 5e-5);
    EXPECT_TRUE(e.A.empty() && e.Q.empty() && e.dist.empty());
}

TEST(Resolution, UnknownNumbersFallBackToTheDefaultCalibration) {
    Tday_obs b;
    b.AddEtalonnage();
    TEtalonnage& prism = b.AddEtalonnage();
    prism.num = 2;
    prism.id = "P1";
    b.nb_etal = 2;
    b.stations.resize(2);
    b.nb_stat = 2;
    TStation& s0 = b.stations[0];
    s0.etalonnage = 2;
    s0.obs.resize(3);
    s0.obs[0].etalonnage = -2;  // takes the station's
    s0.obs[1].etalonnage = 7;   // matches nothing: the default, station keeps its own
    s0.obs[2].etalonnage = 2;
    TStation& s1 = b.stations[1];
    s1.etalonnage = -2;  // none given
    s1.obs.resize(1);
    s1.obs[0].etalonnage = -2;

    b.ResolveCalibrations();
    EXPECT_EQ(s0.calibration, &b.etalonnages[1]);
    EXPECT_EQ(s0.etalonnage, 2);
    EXPECT_EQ(s0.obs[0].calibration, &b.etalonnages[1]);
    EXPECT_EQ(s0.obs[1].calibration, &b.etalonnages[0]);
    EXPECT_EQ(s0.obs[2].calibration, &b.etalonnages[1]);
    EXPECT_EQ(s1.calibration, &b.etalonnages[0]);
    EXPECT_EQ(s1.etalonnage, -1);
    EXPECT_EQ(s1.obs[0].calibration, &b.etalonnages[0]);
}

TEST(Resolution, FirstCalibrationOfANumberWins) {
    Tday_obs b;
    b.AddEtalonnage();
    b.AddEtalonnage().num = 3;
    b.AddEtalonnage().num = 3;
    b.stations.resize(1);
    b.stations[0].etalonnage = 3;
    b.ResolveCalibrations();
    EXPECT_EQ(b.stations[0].calibration, &b.etalonnages[1]);
}

TEST(Resolution, LaterHeightDefinitionWinsWhateverItsPosition) {
    Tday_obs b;
    ReadTextBook(b, {" point A hv_m 1.1", " station A Temp_deg 10 Press_mmHg 750 ht_m 1.5",
                     "  numero B AH_gr 1 AV_gr 100 Dp_m 10 ppm_cste_mm 0000+000 hv_m 1.6",
                     "  numero C AH_gr 2 AV_gr 100 Dp_m 10 ppm_cste_mm 0000+000 hv_m 1.6",
                     " point B hv_m 2.2", " point A hv_m 1.3", " point B hv_m 2.4"});
    ASSERT_EQ(b.stations.size(), 1u);
    EXPECT_DOUBLE_EQ(b.stations[0].Ht, 1.3);
    EXPECT_DOUBLE_EQ(b.stations[0].obs[0].Hv, 2.4);
    EXPECT_DOUBLE_EQ(b.stations[0].obs[1].Hv, 1.6);  // no definition for C
}

TEST(Loading, XmlMarkAnywhereSelectsTheXmlReader) {
    Tday_obs b;
    b.LoadFromLines({" station S1 Temp_deg 10 Press_mmHg 750", "  numero 12 AH_gr 1 AV_gr 100 Dp_m 10 * <?xml",
                     "  numero 13 AH_gr 2 AV_gr 100 Dp_m 10"});
    EXPECT_TRUE(TraceHas(b, "Réduction d'un fichier carnet XML"));
    EXPECT_TRUE(b.stations.empty());
    EXPECT_LE(b.nb_stat, 0);
    // The partial book is resolved: it holds the default calibration.
    ASSERT_FALSE(b.etalonnages.empty());
    EXPECT_EQ(b.etalonnages[0].num, -1);

    Tday_obs t;
    t.LoadFromLines({" station S1 Temp_deg 10 Press_mmHg 750", "  numero 12 AH_gr 1 AV_gr 100 Dp_m 10 * xml"});
    EXPECT_EQ(t.nb_stat, 1);
    EXPECT_EQ(t.stations[0].obs.size(), 1u);
}

TEST(Loading, FromFileDecodesWindows1252AndReportsMissingFiles) {
    const std::string dir = std::string(KESTROVA_TEST_TMP) + "/model";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/book.crt";
    // Written as Windows-1252 with CR LF, the way the converters write books.
    WriteTextLines(path, {"Carnet de l'équipe", " station Église Temp_deg 12 Press_mmHg 760 ht_m 1.5",
                          "  numero Clocher AH_gr 10 AV_gr 100 Dp_m 0 * visée réussie"});
    Tday_obs b;
    EXPECT_TRUE(b.LoadFromFile(path));
    ASSERT_EQ(b.nb_stat, 1);
    EXPECT_EQ(b.stations[0].pt_sta, "Église");
    EXPECT_EQ(b.stations[0].obs[0].commentaire, " * visée réussie");
    ASSERT_NE(b.stations[0].obs[0].calibration, nullptr);

    Tday_obs missing;
    EXPECT_FALSE(missing.LoadFromFile(dir + "/absent.crt"));
    EXPECT_EQ(missing.nb_stat, 0);
    EXPECT_TRUE(missing.stations.empty());
}

TEST(Trace, KeepsAtMostItsLimitAndNothingWhenDisabled) {
    std::vector<std::string> xml = {"<?xml version=\"1.0\"?>", "<carnet><stations>",
                                    "<station pt_sta=\"S\" temp=\"10\" press=\"750\" Ht=\"0\"><rawdata>"};
    for (int i = 0; i < 50; ++i)
        xml.push_back("<obs pt_vis=\"P\" Hz=\"1\" V=\"99\" Dp=\"10\" Hv=\"0\" ppm=\"0\" cste=\"0\"/>");
    xml.push_back("</rawdata></station></stations></carnet>");

    Tday_obs capped;
    capped.trace.max_lines = 20;
    capped.LoadFromLines(xml);
    EXPECT_EQ(capped.trace.size(), 20u);
    EXPECT_EQ(capped.trace.lines[0], "Réduction d'un fichier carnet XML");
    ASSERT_EQ(capped.stations.size(), 1u);
    EXPECT_EQ(capped.stations[0].obs.size(), 50u);  // the reading itself is complete

    Tday_obs silent;
    silent.trace.enabled = false;
    silent.LoadFromLines(xml);
    EXPECT_EQ(silent.trace.size(), 0u);
    EXPECT_EQ(silent.stations[0].obs.size(), 50u);

    // Views of the same lines (an editor's text) take the same reader.
    Tday_obs viewed;
    viewed.trace.max_lines = 20;
    viewed.LoadFromLineViews(std::vector<std::string_view>(xml.begin(), xml.end()));
    EXPECT_EQ(viewed.trace.lines, capped.trace.lines);
    ASSERT_EQ(viewed.stations.size(), 1u);
    EXPECT_EQ(viewed.stations[0].obs.size(), 50u);
}

// A pointing's units take a byte: they read back as the readers' texts,
// and any other text is refused rather than kept wrong.
TEST(Model, PointingUnitsAreTheReadersTexts) {
    Tobs o;
    EXPECT_EQ(o.unite_temp, "");
    o.unite_temp = "deg";
    o.unite_press = "mmHg";
    EXPECT_EQ(std::string(o.unite_temp.view()) + std::string(o.unite_press.view()), "degmmHg");
    EXPECT_THROW(o.unite_press = "hPa", std::invalid_argument);
    EXPECT_EQ(o.unite_press, "mmHg");
}
