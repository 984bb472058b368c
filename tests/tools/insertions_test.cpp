#include "tools/insertions.hpp"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(Insertions, StationHeaderInBothForms) {
    TStationHeaderInput in{"S1", "12.0", "760.0", "1.5", TStationFormat::Carnet};
    EXPECT_EQ(*BuildStationHeader(in).line, " station S1               Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5");
    in.format = TStationFormat::Gsi;
    EXPECT_EQ(*BuildStationHeader(in).line, "410001+000000S1 42....+00000120 43....+00007600 44....+00001500");
    in.temperature = "-5.0";
    EXPECT_EQ(*BuildStationHeader(in).line, "410001+000000S1 42....+00000-50 43....+00007600 44....+00001500");
    // Ties go to the even count: 0.25 -> 2 tenths, 1.0015 m -> 1002 mm, 1.0025 m -> 1002 mm.
    in = {"12", "0.25", "760.05", "1.0015", TStationFormat::Gsi};
    EXPECT_EQ(*BuildStationHeader(in).line, "410001+00000012 42....+00000002 43....+00007600 44....+00001002");
    in.height = "1.0025";
    EXPECT_EQ(BuildStationHeader(in).line->substr(55), "00001002");
    // A height with millimetres keeps them in the field-book form.
    in = {"S1", "12", "760", "1.542", TStationFormat::Carnet};
    EXPECT_EQ(*BuildStationHeader(in).line, " station S1               Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.542");
}

TEST(Insertions, InvalidFieldsAreAllReportedAndNothingIsBuilt) {
    const TStationHeaderResult r = BuildStationHeader({"  ", "douze", "760", "", TStationFormat::Carnet});
    EXPECT_TRUE(r.badName);
    EXPECT_TRUE(r.badTemperature);
    EXPECT_FALSE(r.badPressure);
    EXPECT_TRUE(r.badHeight);
    EXPECT_FALSE(r.line);
}

TEST(Insertions, DefaultFormatFollowsTheDocument) {
    EXPECT_EQ(DefaultStationFormat({"* x", " station A"}), TStationFormat::Carnet);
    EXPECT_EQ(DefaultStationFormat({"410001+00000012"}), TStationFormat::Gsi);
    EXPECT_EQ(DefaultStationFormat({}), TStationFormat::Gsi);
}

TEST(Insertions, PrismAndHeightDefinitions) {
    EXPECT_EQ(*BuildPrismDefinition("P1", "-0.0175").line, " prisme P1               cste_m -0.0175 ");
    EXPECT_EQ(*BuildHeightDefinition("2002", "1.8").line, " point 2002             hv_m 1.8000 ");
    const TDefinitionResult bad = BuildPrismDefinition(" ", "x");
    EXPECT_TRUE(bad.badName);
    EXPECT_TRUE(bad.badValue);
    EXPECT_FALSE(bad.line);
}

TEST(Insertions, ANameThatWouldShiftTheFieldsIsRefused) {
    // "MI NI" would be read back as the prism "MI" without its constant.
    for (const char* name : {"MI NI", "GPR\t1", "P*1", "S\x01T"}) {
        SCOPED_TRACE(name);
        const TDefinitionResult prism = BuildPrismDefinition(name, "0.0175");
        EXPECT_TRUE(prism.badName);
        EXPECT_FALSE(prism.line);
        EXPECT_TRUE(BuildHeightDefinition(name, "1.5").badName);
        const TStationHeaderResult station = BuildStationHeader({name, "12", "760", "1.5", TStationFormat::Carnet});
        EXPECT_TRUE(station.badName);
        EXPECT_FALSE(station.line);
        EXPECT_TRUE(BuildStationHeader({name, "12", "760", "1.5", TStationFormat::Gsi}).badName);
    }
    EXPECT_TRUE(BuildCentringEquation({"S 1", "S1C", "1.6", "0.001", "0.0005"}).badFrom);
    EXPECT_TRUE(BuildCentringEquation({"S1", "S1 C", "1.6", "0.001", "0.0005"}).badTo);
    // Blanks around a name are not part of it; letters outside ASCII are.
    EXPECT_FALSE(BuildPrismDefinition(" Łódź ", "0").badName);
    EXPECT_FALSE(BuildStationHeader({"1002", "12", "760", "1.5", TStationFormat::Carnet}).badName);
}

TEST(Insertions, CentringEquationGivesThreeLinesAndRefusesAZeroSigma) {
    TCentringResult r = BuildCentringEquation({"S1", "S1C", "1.6", "0.001", "0.0005"});
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[0], "9 S1               S1C              0.0000 0.0005 0.0000 0.0000 0.0000");
    EXPECT_EQ(r.lines[1], "4 S1               S1C              1.6000 0.0010 0.0000 0.0000 0.0000");
    EXPECT_EQ(r.lines[2], "");
    r = BuildCentringEquation({"S1", "", "1.6", "0", "0.0005"});
    EXPECT_TRUE(r.badSigmaHeight);
    EXPECT_TRUE(r.badTo);
    EXPECT_FALSE(r.badSigmaCentring);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_TRUE(BuildCentringEquation({"S1", "S2", "1.6", "0.001", "0"}).badSigmaCentring);
}

TEST(Insertions, NumbersTypedWithADecimalCommaAreWrittenWithAPoint) {
    EXPECT_EQ(*BuildStationHeader({"S1", "14,5", "735,2", "1,542", TStationFormat::Carnet}).line,
              " station S1               Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.542");
    EXPECT_EQ(*BuildStationHeader({"S1", "14,5", "735,2", "1,542", TStationFormat::Gsi}).line,
              "410001+000000S1 42....+00000145 43....+00007352 44....+00001542");
    EXPECT_EQ(*BuildPrismDefinition("P1", "-0,0175").line, " prisme P1               cste_m -0.0175 ");
    EXPECT_EQ(*BuildHeightDefinition("2002", "1,8").line, " point 2002             hv_m 1.8000 ");
    EXPECT_EQ(BuildCentringEquation({"S1", "S1C", "1,6", "0,001", "0,0005"}).lines[1],
              "4 S1               S1C              1.6000 0.0010 0.0000 0.0000 0.0000");
    // Two commas make no number.
    EXPECT_TRUE(BuildPrismDefinition("P1", "0,0,1").badValue);
}

}  // namespace
}  // namespace kestrova
