// Text field-book reader: station keys, pointing fields, packed distance
// corrections, prisms, heights, comments and the per-line guard.
#include <gtest/gtest.h>

#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"

using namespace kestrova;

namespace {

Tday_obs Read(const std::vector<std::string>& lines) {
    Tday_obs b;
    ReadTextBook(b, lines);
    return b;
}

// A pointing line in the converters' layout.
std::string Pointing(const std::string& target, const std::string& packed, const std::string& tail = " hv_m 1.600") {
    return "  numero " + target + " AH_gr 123.4567 AV_gr 99.8765 Dp_m 45.1234 ppm_cste_mm " + packed + tail;
}

const std::string kStation = " station S1 Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.532";

}  // namespace

TEST(TextReader, StationAndPointingOfTheConvertersLayout) {
    const Tday_obs b = Read({"Carnet", kStation, Pointing("12", "0012+034")});
    ASSERT_EQ(b.nb_stat, 1);
    const TStation& s = b.stations[0];
    EXPECT_EQ(s.pt_sta, "S1");
    EXPECT_DOUBLE_EQ(s.temp, 15.0);
    EXPECT_DOUBLE_EQ(s.press, 752.3);
    EXPECT_DOUBLE_EQ(s.Ht, 1.532);
    EXPECT_EQ(s.unite_temp, "deg");
    EXPECT_EQ(s.unite_press, "mmHg");
    EXPECT_EQ(s.ligne, 1);
    EXPECT_EQ(s.etalonnage, -1);  // none given: the default calibration
    EXPECT_EQ(s.calibration, &b.etalonnages[0]);
    ASSERT_EQ(s.nb_obs, 1);
    const Tobs& o = s.obs[0];
    EXPECT_EQ(o.pt_vis, "12");
    EXPECT_DOUBLE_EQ(o.Hz, 123.4567);
    EXPECT_DOUBLE_EQ(o.V, 99.8765);
    EXPECT_DOUBLE_EQ(o.Dp, 45.1234);
    EXPECT_DOUBLE_EQ(o.ppm, 12.0);
    EXPECT_DOUBLE_EQ(o.cste, 0.034);
    EXPECT_DOUBLE_EQ(o.Hv, 1.6);
    EXPECT_EQ(o.cercle, 1);
    EXPECT_DOUBLE_EQ(o.temp, 15.0);
    EXPECT_DOUBLE_EQ(o.press, 752.3);
    EXPECT_EQ(o.unite_temp, "deg");
    EXPECT_EQ(o.calibration, &b.etalonnages[0]);
    EXPECT_EQ(o.commentaire, "");
}

TEST(TextReader, DefaultCalibrationAndItsTraceLines) {
    const Tday_obs b = Read({});
    ASSERT_EQ(b.nb_etal, 1);
    ASSERT_EQ(b.etalonnages.size(), 1u);
    ASSERT_EQ(b.trace.size(), 5u);
    EXPECT_EQ(b.trace.lines[0], "lambda=0.8500");
    EXPECT_EQ(b.trace.lines[1], "T0=285.15");
    EXPECT_EQ(b.trace.lines[2], "P0=760.00");
    EXPECT_EQ(b.trace.lines[3], "NG0=294.4975");
    EXPECT_EQ(b.trace.lines[4], "N0=281.5041");
}

TEST(TextReader, StationKeysMatchByContainmentAndConvertUnits) {
    Tday_obs b = Read({" station A xTemp_degx 8.5 Press_hPa 1013.25 xht_m 1.2",
                       " station B Temp_deg abc Press_mmHg abc ht_m abc",
                       " station C Press_hPa abc",
                       " station D"});
    ASSERT_EQ(b.stations.size(), 4u);
    EXPECT_DOUBLE_EQ(b.stations[0].temp, 8.5);
    EXPECT_NEAR(b.stations[0].press, 760.18, 0.005);
    EXPECT_DOUBLE_EQ(b.stations[0].press, 1013.25 / 1.3329167214840152);
    EXPECT_DOUBLE_EQ(b.stations[0].Ht, 1.2);
    EXPECT_DOUBLE_EQ(b.stations[1].temp, 0.0);  // not a number: unchanged
    EXPECT_DOUBLE_EQ(b.stations[1].press, 760.1);
    EXPECT_DOUBLE_EQ(b.stations[1].Ht, 0.0);
    EXPECT_DOUBLE_EQ(b.stations[2].press, 760.1);
    EXPECT_EQ(b.stations[2].unite_press, "mmHg");
    EXPECT_EQ(b.stations[3].unite_temp, "");  // no key: nothing set
    EXPECT_DOUBLE_EQ(b.stations[3].press, 0.0);
}

TEST(TextReader, PackedCorrectionsAndTheirIntegerRules) {
    const Tday_obs b = Read({kStation, Pointing("1", "-0005-034"), Pointing("2", "0300+000"),
                             Pointing("3", "-0300+012"),
                             "  numero 4 AH_gr 1 AV_gr 100 Dp_m 10 ppm+mm 10 3 1.5",
                             "  numero 5 AH_gr 1 AV_gr 100 Dp_m 10 ppm+mm 300 -2 1.5",
                             "  numero 6 AH_gr 1 AV_gr 100 Dp_m 10 ppm+mm -5 70000 1.5",
                             "  numero 7 AH_gr 1 AV_gr 100 Dp_m 10 ppm+mm x y 1.5",
                             "  numero 8 AH_gr 1 AV_gr 100 Dp_m 10 ppm_mm 12 5 1.5"});
    const auto& o = b.stations[0].obs;
    ASSERT_EQ(o.size(), 8u);
    EXPECT_DOUBLE_EQ(o[0].ppm, -5.0);
    EXPECT_DOUBLE_EQ(o[0].cste, -0.034);
    EXPECT_DOUBLE_EQ(o[1].ppm, 44.0);  // 300 modulo 256
    EXPECT_DOUBLE_EQ(o[1].cste, 0.0);
    EXPECT_DOUBLE_EQ(o[2].ppm, -44.0);
    EXPECT_DOUBLE_EQ(o[2].cste, 0.012);
    EXPECT_DOUBLE_EQ(o[3].ppm, 10.0);
    EXPECT_DOUBLE_EQ(o[3].cste, 3.0);  // stored unscaled
    EXPECT_DOUBLE_EQ(o[3].Hv, 1.5);
    EXPECT_DOUBLE_EQ(o[4].ppm, 44.0);
    EXPECT_DOUBLE_EQ(o[4].cste, -2.0);
    EXPECT_DOUBLE_EQ(o[5].ppm, 251.0);  // reduced to 0..255
    EXPECT_DOUBLE_EQ(o[5].cste, 4464.0);  // signed 16-bit
    EXPECT_DOUBLE_EQ(o[6].ppm, 0.0);  // not numbers: nothing set
    EXPECT_DOUBLE_EQ(o[6].cste, 0.0);
    EXPECT_EQ(o[6].cercle, 1);
    EXPECT_DOUBLE_EQ(o[7].ppm, 0.0);  // unknown keyword
    EXPECT_DOUBLE_EQ(o[7].cste, 0.0);
}

TEST(TextReader, LineFailingPartWayKeepsItsValuesAndIsReplacedByTheNext) {
    // "00a2": not an integer; "ppm+mm 10.5": a number but not an integer.
    Tday_obs b = Read({kStation, Pointing("1", "00a2+034"), Pointing("2", "0012+034"),
                       "  numero 3 AH_gr 50 AV_gr 300 Dp_m 12 ppm+mm 10.5 3 1.5 * lost"});
    const auto& o = b.stations[0].obs;
    ASSERT_EQ(o.size(), 2u);
    ASSERT_EQ(b.stations[0].nb_obs, 2);
    EXPECT_EQ(o[0].pt_vis, "2");  // the failed line 1 was replaced
    EXPECT_EQ(o[0].indice, 0);
    EXPECT_EQ(o[0].cercle, 1);
    // The failed last line stays, partly filled, with face 0.
    EXPECT_EQ(o[1].pt_vis, "3");
    EXPECT_DOUBLE_EQ(o[1].Hz, 50.0);
    EXPECT_DOUBLE_EQ(o[1].V, 300.0);
    EXPECT_DOUBLE_EQ(o[1].Dp, 12.0);
    EXPECT_DOUBLE_EQ(o[1].Hv, 0.0);
    EXPECT_EQ(o[1].cercle, 0);
    EXPECT_EQ(o[1].commentaire, "");
    EXPECT_EQ(o[1].calibration, &b.etalonnages[0]);  // resolved all the same
    // It carries its station's weather, so the atmospheric correction
    // recomputed from it is the station's, not one of 0 °C and 0 mmHg.
    EXPECT_DOUBLE_EQ(o[1].temp, b.stations[0].temp);
    EXPECT_DOUBLE_EQ(o[1].press, b.stations[0].press);
    EXPECT_GT(o[1].press, 400.0);
    EXPECT_EQ(o[1].unite_press, "mmHg");
    // Both failures are recorded on the station (lines from 0), the first
    // with the line that replaced it.
    const auto& partial = b.stations[0].lignes_partielles;
    ASSERT_EQ(partial.size(), 2u);
    EXPECT_EQ(partial[0].ligne, 1);
    EXPECT_EQ(partial[0].remplacee_par, 2);
    EXPECT_EQ(partial[1].ligne, 3);
    EXPECT_EQ(partial[1].remplacee_par, -1);

    // The constant part failing keeps the correction read before it.
    Tday_obs c = Read({kStation, Pointing("1", "0012")});
    ASSERT_EQ(c.stations[0].obs.size(), 1u);
    EXPECT_DOUBLE_EQ(c.stations[0].obs[0].ppm, 12.0);
    EXPECT_EQ(c.stations[0].obs[0].cercle, 0);
}

TEST(TextReader, FieldCountsDecideWhatIsRead) {
    const Tday_obs b = Read({kStation,
                             // 10 fields: no target height whatever it holds
                             "  numero 1 AH_gr 10 AV_gr 250 Dp_m 5 ppm_cste_mm 0001+001",
                             // 11 fields: field 11 absent
                             "  numero 2 AH_gr 10 AV_gr 250 Dp_m 5 ppm_cste_mm 0001+001 hv_m",
                             // a tabulation does not separate fields
                             "  numero 3 AH_gr 10\t20 AV_gr 100 Dp_m 5",
                             // 25 fields: count 0, positions still read, no Hv
                             "  numero 4 AH_gr 10 AV_gr 100 Dp_m 5 ppm_cste_mm 0007+001 hv_m 1.8 a b c d e f g h i j k",
                             // 25-field station: the name and nothing else
                             " station S2 Temp_deg 20 Press_mmHg 700 ht_m 1.4 a b c d e f g h i j k l m n o p"});
    const auto& o = b.stations[0].obs;
    ASSERT_EQ(o.size(), 4u);
    EXPECT_DOUBLE_EQ(o[0].Hv, 0.0);
    EXPECT_EQ(o[0].cercle, 2);
    EXPECT_DOUBLE_EQ(o[1].Hv, 0.0);
    EXPECT_DOUBLE_EQ(o[2].Hz, 0.0);  // "10\t20" is one field, not a number
    EXPECT_DOUBLE_EQ(o[2].V, 100.0);
    EXPECT_DOUBLE_EQ(o[2].Dp, 5.0);
    EXPECT_DOUBLE_EQ(o[3].Hz, 10.0);
    EXPECT_DOUBLE_EQ(o[3].V, 100.0);
    EXPECT_DOUBLE_EQ(o[3].Dp, 5.0);
    EXPECT_DOUBLE_EQ(o[3].ppm, 7.0);
    EXPECT_DOUBLE_EQ(o[3].Hv, 0.0);
    ASSERT_EQ(b.stations.size(), 2u);
    EXPECT_EQ(b.stations[1].pt_sta, "S2");
    EXPECT_DOUBLE_EQ(b.stations[1].temp, 0.0);
    EXPECT_DOUBLE_EQ(b.stations[1].press, 0.0);
    EXPECT_DOUBLE_EQ(b.stations[1].Ht, 0.0);

    // A 19-field line: "mode" in the last key position counts. A 21st field
    // makes the count 0, which drops the target height, the prism and the
    // mode flag but not the positions.
    const std::string nineteen =
        "  numero 5 AH_gr 10 AV_gr 100 Dp_m 5 ppm_cste_mm 0001+001 hv_m 1.8 prisme P1 x y z w mode";
    const Tday_obs c = Read({" prisme P1 cste_m 0.02", kStation, nineteen, nineteen + " 1 extra"});
    const auto& p = c.stations[0].obs;
    ASSERT_EQ(p.size(), 2u);
    EXPECT_DOUBLE_EQ(p[0].Hv, 1.8);
    EXPECT_EQ(p[0].etalonnage, 2);
    EXPECT_TRUE(p[0].mode);
    EXPECT_DOUBLE_EQ(p[1].Hz, 10.0);
    EXPECT_DOUBLE_EQ(p[1].ppm, 1.0);
    EXPECT_DOUBLE_EQ(p[1].Hv, 0.0);
    EXPECT_EQ(p[1].etalonnage, -2);
    EXPECT_FALSE(p[1].mode);
}

TEST(TextReader, PrismsAreVisibleOnlyBelowTheirDefinition) {
    const Tday_obs b = Read({" prisme P1 cste_m 0.0300", " prisme P2 cste_m -0.0175 ",
                             " prisme P1 cste_m 0.0500",  // same name again: lookups find the first
                             " station S1 Temp_deg 12 Press_mmHg 760 prisme P2",
                             Pointing("1", "0000+000", " hv_m 1.6 prisme P1"),
                             Pointing("2", "0000+000", " hv_m 1.6 prisme P3"),
                             Pointing("3", "0000+000"),
                             " prisme P3 cste_m 0.01",
                             " station S2 Temp_deg 12 Press_mmHg 760 prisme P9",
                             Pointing("4", "0000+000", " hv_m 1.6 prisme P3"),
                             " prisme P4 x 0.02"});
    ASSERT_EQ(b.nb_etal, 6);
    EXPECT_EQ(b.etalonnages[1].id, "P1");
    EXPECT_EQ(b.etalonnages[1].num, 2);
    EXPECT_DOUBLE_EQ(b.etalonnages[1].M, -0.03);
    EXPECT_EQ(b.etalonnages[2].num, 3);
    EXPECT_DOUBLE_EQ(b.etalonnages[2].M, 0.0175);
    EXPECT_EQ(b.etalonnages[3].num, 4);
    EXPECT_DOUBLE_EQ(b.etalonnages[5].M, 0.0);  // no "cste_m" label
    EXPECT_TRUE(b.etalonnages[1].A.empty());

    const TStation& s1 = b.stations[0];
    EXPECT_EQ(s1.etalonnage, 3);
    EXPECT_EQ(s1.calibration, &b.etalonnages[2]);
    EXPECT_EQ(s1.obs[0].etalonnage, 2);
    EXPECT_EQ(s1.obs[0].calibration, &b.etalonnages[1]);
    EXPECT_EQ(s1.obs[1].etalonnage, -2);  // P3 defined below: the station's
    EXPECT_EQ(s1.obs[1].calibration, &b.etalonnages[2]);
    EXPECT_EQ(s1.obs[2].calibration, &b.etalonnages[2]);

    const TStation& s2 = b.stations[1];
    EXPECT_EQ(s2.etalonnage, -1);  // P9 unknown
    EXPECT_EQ(s2.calibration, &b.etalonnages[0]);
    EXPECT_EQ(s2.obs[0].calibration, &b.etalonnages[4]);
}

TEST(TextReader, HeightsApplyToNormalisedNames) {
    const Tday_obs b = Read({" point 0012 hv_m 2.0", " point 13 hv_m 2.5", " point S1 hv_m 1.7",
                             " point 14 hv_m abc", kStation, Pointing("0012", "0000+000"),
                             Pointing("0013", "0000+000"), Pointing("14", "0000+000"),
                             Pointing("15", "0000+000")});
    ASSERT_EQ(b.hauteurs.size(), 4u);
    EXPECT_EQ(b.hauteurs[0].nom, "0012");  // definitions are not normalised
    const auto& o = b.stations[0].obs;
    EXPECT_EQ(o[0].pt_vis, "12");
    EXPECT_DOUBLE_EQ(o[0].Hv, 1.6);  // "0012" does not name the target 12
    EXPECT_DOUBLE_EQ(o[1].Hv, 2.5);
    EXPECT_DOUBLE_EQ(o[2].Hv, 0.0);  // a height that does not convert gives 0
    EXPECT_DOUBLE_EQ(o[3].Hv, 1.6);
    EXPECT_DOUBLE_EQ(b.stations[0].Ht, 1.7);
}

TEST(TextReader, IgnoredLinesCommentsAndModeFlags) {
    const Tday_obs b = Read({Pointing("0", "0000+000"),  // before any station: ignored
                             "* station X", "Station Y", "", kStation,
                             Pointing("1", "0000+000", " hv_m 1.6 * remark"),
                             Pointing("2", "0000+000", " hv_m 1.6 mode 1"),
                             "  numero 3 AH_gr mode AV_gr 100"});
    ASSERT_EQ(b.nb_stat, 1);
    const auto& o = b.stations[0].obs;
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[0].commentaire, " * remark");
    EXPECT_FALSE(o[0].mode);
    EXPECT_TRUE(o[1].mode);
    EXPECT_FALSE(o[2].mode);  // "mode" at an odd position is a value
    EXPECT_EQ(o[2].indice, 2);

    std::string longComment(150, 'x');
    const Tday_obs c = Read({kStation, Pointing("1", "0000+000", " hv_m 1.6 *" + longComment)});
    EXPECT_EQ(c.stations[0].obs[0].commentaire.size(), 100u);
}

TEST(TextReader, StationLineResetsThePointingCounter) {
    int stations = 0, pointings = 0;
    Tday_obs b;
    AddDefaultCalibration(b);
    ReadTextLine(b, kStation, stations, 0, pointings);
    ReadTextLine(b, Pointing("1", "0000+000"), stations, 1, pointings);
    ReadTextLine(b, Pointing("2", "0000+000"), stations, 2, pointings);
    EXPECT_EQ(pointings, 2);
    ReadTextLine(b, " station 000", stations, 3, pointings);
    EXPECT_EQ(stations, 2);
    EXPECT_EQ(pointings, 0);
    EXPECT_EQ(b.nb_stat, 2);
    EXPECT_EQ(b.stations[1].pt_sta, "0");
    EXPECT_EQ(b.stations[1].ligne, 3);
}
