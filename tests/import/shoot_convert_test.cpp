// Monitoring shot logs to text and XML field books.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/shoot_convert.hpp"

using namespace kestrova;

namespace {

using Lines = std::vector<std::string>;

int CountStarting(const Lines& lines, const std::string& start) {
    int n = 0;
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0) ++n;
    return n;
}

std::string Find(const Lines& lines, const std::string& part) {
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos) return l;
    return {};
}

}  // namespace

TEST(ShootBooks, ColumnsInAnotherOrderAndDecimalCommas) {
    const ShootBooks b = ShootToBooks({"TARGET CYCLE DATE TIME HZ V DIST FOUND",
                                       "T12\t1\t15/06/2021\t10:00:00\t123,45678\t99,5\t45,123\t1"},
                                      4, 4);
    EXPECT_TRUE(b.report.warnings.empty());
    EXPECT_EQ(b.text, (Lines{" station 1000 Temp_deg 12.0 Press_mmHg 760.0 ht_m 0.000",
                             "  numero T12      AH_gr   123.4568 AV_gr    99.5000 Dp_m    45.1230 ppm_cste_mm "
                             "0000+000 hv_m 0.000"}));
    EXPECT_EQ(Find(b.xml, "<obs"),
              "        <obs pt_vis=\"T12\" Hz=\"123.4568\" V=\"99.5000\" Dp=\"45.1230\" Hv=\"0.0\" ppm=\"0.0\" "
              "cste=\"0.0\" />");
    // Decimals follow the parameters.
    const ShootBooks d = ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND",
                                       "15/06/2021 10:00:00 1 T1 1.23456 2 3.5 1"},
                                      3, 2);
    EXPECT_EQ(d.text[1], "  numero T1       AH_gr      1.235 AV_gr      2.000 Dp_m       3.50 ppm_cste_mm "
                         "0000+000 hv_m 0.000");
}

TEST(ShootBooks, MissingHeaderNameGivesDefaultColumns) {
    const ShootBooks b = ShootToBooks({"DATE TIME CYC TARGET HZ V DIST FOUND",
                                       "15/06/2021 10:00:00 7 P1 100 100 10 1"},
                                      4, 4);
    ASSERT_EQ(b.report.warnings.size(), 1u);
    EXPECT_EQ(b.report.warnings[0], kShootMissingHeader);
    EXPECT_EQ(b.report.shots, 1);
    EXPECT_NE(Find(b.xml, "cycle=\"7\""), "");
    // A header naming everything but with a different field: that column
    // alone takes its default place.
    const ShootBooks c = ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUNDX TARGET",
                                       "15/06/2021 10:00:00 7 P1 100 100 10 1 P2"},
                                      4, 4);
    EXPECT_TRUE(c.report.warnings.empty());
    EXPECT_NE(Find(c.text, "numero P1"), "");
}

TEST(ShootBooks, CyclesAndTimesAcrossTheYearEnd) {
    const ShootBooks b = ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND",
                                       "31/12/2020 23:59:58 1 A 1 100 10 1",
                                       "01/01/2021 00:00:03 1 B 2 100 10 1",
                                       "pas une ligne de tir",
                                       "01/01/2021 00:10:00 2 A 1 100 10 1",
                                       "01/01/2021 00:10:05 2 B 2 100 10 1",
                                       "01/01/2021 00:20:00 1 A 1 100 10 1"},
                                      4, 4);
    EXPECT_EQ(b.report.cycles, 3);
    EXPECT_EQ(b.report.shots, 5);
    EXPECT_EQ(CountStarting(b.text, " station 1000"), 3);
    EXPECT_EQ(CountStarting(b.xml, "    <station "), 3);
    EXPECT_EQ(Find(b.xml, "num=\"1\""),
              "    <station num=\"1\" cycle=\"1\" pt_sta=\"1000\" temp=\"12.0\" press=\"760.0\" Ht=\"0.0\" "
              "etalonnage=\"0\" date_debut=\"31-12-2020\" heure_debut=\"23-59-58\" DOY_debut=\"366\" "
              "dsec_debut=\"86398\" date_fin=\"01-01-2021\" heure_fin=\"00-00-03\" DOY_fin=\"1\" dsec_fin=\"3\">");
    EXPECT_NE(Find(b.xml, "num=\"3\" cycle=\"1\""), "");

    int doy = 0, sec = 0;
    EXPECT_TRUE(ReadShootDate("29/02/2024", doy));
    EXPECT_EQ(doy, 60);
    EXPECT_TRUE(ReadShootDate("31/12/2021", doy));
    EXPECT_EQ(doy, 365);
    EXPECT_FALSE(ReadShootDate("29/02/2023", doy));
    EXPECT_FALSE(ReadShootDate("1/2/2023", doy));
    EXPECT_TRUE(ReadShootTime("23:59:59", sec));
    EXPECT_EQ(sec, 86399);
    EXPECT_FALSE(ReadShootTime("24:00:00", sec));
    EXPECT_FALSE(ReadShootTime("12:60:00", sec));
}

TEST(ShootBooks, ImpossibleDateStopsAndNoShotGivesNoXmlBook) {
    try {
        ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "15/06/2021 10:00:00 1 A 1 2 3 1",
                      "31/06/2021 10:00:00 1 A 1 2 3 1"},
                     4, 4);
        ADD_FAILURE() << "no error";
    } catch (const ShootConversionError& e) {
        EXPECT_EQ(e.lineNumber(), 3);
        EXPECT_NE(std::string(e.what()).find("ligne 3"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "15/06/2021 10:61:00 1 A 1 2 3 1"}, 4, 4),
                 ShootConversionError);
    EXPECT_THROW(ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "15/06/2021 10:00:00 1.5 A 1 2 3 1"}, 4, 4),
                 ShootConversionError);

    // A log without any shot, and a direction, zenith angle or distance
    // that is not a number, stop it too: nothing would be a true book.
    EXPECT_THROW(ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "DATE TIME X"}, 4, 4), ShootConversionError);
    for (const char* bad : {"15/06/2021 10:00:00 1 A x 2 3 1", "15/06/2021 10:00:00 1 A 1 - 3 1",
                            "15/06/2021 10:00:00 1 A 1 2 nan 1", "15/06/2021 10:00:00 1 A 1 2"}) {
        try {
            ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "15/06/2021 10:00:00 1 A 1 2 3 1", bad}, 4, 4);
            ADD_FAILURE() << bad;
        } catch (const ShootConversionError& e) {
            EXPECT_EQ(e.lineNumber(), 3) << bad;
            EXPECT_NE(std::string(e.what()).find("ligne 3 : champ "), std::string::npos) << e.what();
        }
    }
    // The found flag is not written out: a flag that is no number stays 0.
    const ShootBooks found = ShootToBooks({"DATE TIME CYCLE TARGET HZ V DIST FOUND", "15/06/2021 10:00:00 1 A 1,5 2 3 ?"},
                                          4, 4);
    EXPECT_EQ(found.text[1], "  numero A        AH_gr     1.5000 AV_gr     2.0000 Dp_m     3.0000 ppm_cste_mm "
                             "0000+000 hv_m 0.000");
}
