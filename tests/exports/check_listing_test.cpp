#include "exports/check_listing.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "export_test_support.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

class CheckListingTest : public WriterTest {};

// Index of the first line equal to `text` at or after `from`.
std::size_t Find(const std::vector<std::string>& lines, const std::string& text, std::size_t from = 0) {
    const auto it = std::find(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(), text);
    return static_cast<std::size_t>(it - lines.begin());
}

}  // namespace

TEST_F(CheckListingTest, ValidTwoFaceStationInFull) {
    // Zenith index error of 0.0010 gon: V1 + V2 = 400.0020.
    const Tday_obs book = Reduce({
        " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0010 Dp_m 50.0010 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 100.0012 AV_gr 99.0010 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
        "  numero T1 AH_gr 200.0000 AV_gr 300.0010 Dp_m 49.9990 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 300.0008 AV_gr 301.0010 Dp_m 0.0000 ppm_cste_mm 0000+000 hv_m 1.700",
    });
    const std::vector<std::string> expected = {
        "Station n°1",
        "",
        "Données brutes",
        "Station S1",
        "Temperature : 12.0 °C",
        "Pression : 760.0 mmHg",
        "Formule météo : Barrel_Sears",
        "Correction meteo : 0.0 ppm",
        "",
        "Point visé            Hz         V          Dp         ppm",
        "T1                   0.0000   100.0010    50.0010      0.0",
        "T2                 100.0012    99.0010    80.0000      0.0",
        "T1                 200.0000   300.0010    49.9990      0.0",
        "T2                 300.0008   301.0010",
        "",
        "Données triées",
        "Station S1",
        "Nom                   Hz         V          Dp      Delta Hz Delta V  Delta Dp",
        "T1                   0.0000   100.0010    50.0010       0       10      1.0",
        "T2                 100.0012    99.0010    80.0000       2       10      0.0",
        "",
        "T1                 200.0000   300.0010    49.9990       0      -10     -1.0",
        "T2                 300.0008   301.0010                 -2      -10",
        "",
        "Station S1",
        "      T1 C1 =  1 C2 =  1",
        "      T2 C1 =  1 C2 =  1",
        "",
        "Station valide",
        "2 Cercles sans fermeture",
        "nombre de pointés = 1",
        "",
        "",
        "Données réduites",
        " ",
        "T1                   0.0000   100.0000    50.0000",
        "T2                 100.0010    99.0000    80.0000",
        " ",
    };
    EXPECT_EQ(CheckListingLines(book), expected);
}

TEST_F(CheckListingTest, InvalidStationShowsRawDataCountsAndMessagesWithoutResiduals) {
    const Tday_obs book = Reduce(Concat(TwoFaceStationLines(), HotStationLines()));
    const auto lines = CheckListingLines(book);

    // Separator between the stations, none after the last.
    const std::size_t second = Find(lines, "Station n°2");
    ASSERT_LT(second, lines.size());
    EXPECT_EQ(lines[second - 1], std::string(74, '*'));
    EXPECT_EQ(lines[second - 2], "");
    EXPECT_EQ(lines[second - 3], "");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(74, '*')), 1);

    const std::size_t sorted = Find(lines, "Données triées", second);
    // Face-left pointings only, no residual columns, eleven blanks for the
    // pointing without distance.
    EXPECT_EQ(lines[sorted + 3], "T1                   0.0000   100.0000    50.0000");
    EXPECT_EQ(lines[sorted + 4], "T2                  50.0000   100.0000" + std::string(11, ' '));
    const std::size_t verdict = Find(lines, "Station non valide", second);
    ASSERT_LT(verdict, lines.size());
    EXPECT_EQ(lines[verdict + 1], "");
    EXPECT_EQ(lines[verdict + 2], "Température saisie non valide (>40°C)");
    EXPECT_EQ(lines[verdict + 3], "");
    EXPECT_EQ(verdict + 4, lines.size());  // no reduced values
}

TEST_F(CheckListingTest, ClosedRoundAndOneFaceStation) {
    const Tday_obs book = Reduce({
        " station S2 Temp_deg 12.0 Press_mmHg 760.0",
        "  numero A AH_gr 10.0000 AV_gr 100.0000 Dp_m 0 ppm_cste_mm 0000+000",
        "  numero B AH_gr 60.0000 AV_gr 100.0000 Dp_m 0 ppm_cste_mm 0000+000",
        "  numero A AH_gr 10.0004 AV_gr 100.0000 Dp_m 0 ppm_cste_mm 0000+000",
    });
    const auto lines = CheckListingLines(book);
    const std::size_t verdict = Find(lines, "Station valide");
    ASSERT_LT(verdict, lines.size());
    EXPECT_EQ(lines[verdict + 1], "1 cercle avec fermeture");
    EXPECT_EQ(lines[verdict + 2], "nombre de pointés = 1");  // two opening pointings per round
    const std::size_t sorted = Find(lines, "Données triées");
    // Reference direction 10.0002: the two opening pointings are 2 cc off.
    EXPECT_EQ(lines[sorted + 3], "A                   10.0000   100.0000                 -2        0");
    EXPECT_EQ(lines[sorted + 4], "A                   10.0004   100.0000                  2        0");
}
