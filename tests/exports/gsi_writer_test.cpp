#include "exports/gsi_writer.hpp"

#include <gtest/gtest.h>

#include "export_test_support.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

class GsiWriterTest : public WriterTest {};

}  // namespace

TEST_F(GsiWriterTest, StationAndMeasurementWordsWithHeights) {
    Param().export_hauteurs_brelix = "Y";
    const Tday_obs book = Reduce(Concat(HotStationLines(), TwoFaceStationLines()));
    const auto lines = GsiFileLines(book);
    ASSERT_EQ(lines.size(), 3u);  // the invalid station is skipped
    EXPECT_EQ(lines[0], "410001+00000001 42....+000000S1 43....+00001550" + std::string(80, ' '));
    EXPECT_EQ(lines[1],
              "110002+000000T1 21.322+00000000 22.322+10000000 31..06+00500000 51..1.+0000+000 87...0+00001600" +
                  std::string(117, ' '));
    EXPECT_EQ(lines[2],
              "110003+000000T2 21.322+10000100 22.322+09900000 31..06+00800000 51..1.+0000+000 87...0+00001700" +
                  std::string(117, ' '));
}

TEST_F(GsiWriterTest, WithoutHeightsAndWithoutDistance) {
    const Tday_obs book = Reduce({
        " station 12 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero A1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 0 ppm_cste_mm 0000+000 hv_m 1.6",
        "  numero LONG_NAME_12 AH_gr 399.9000 AV_gr 101.2345 Dp_m 0 ppm_cste_mm 0000+000 hv_m 1.6",
    });
    const auto lines = GsiFileLines(book);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "410001+00000001 42....+00000012 43....+00000000" + std::string(80, ' '));
    EXPECT_EQ(lines[2], "110003+LONG_NAME_12 21.322+39990000 22.322+10123450 31..06+00000000 51..1.+0000+000" +
                            std::string(117, ' '));
}

TEST_F(GsiWriterTest, FieldsAreZeroFilled) {
    EXPECT_EQ(GsiField("S 1"), "00000S01");
    EXPECT_EQ(GsiNumber(-150.0), "0000-150");
    EXPECT_EQ(GsiNumber(1549.6), "00001550");
    EXPECT_EQ(GsiField("ABCDEFGHIJ"), "ABCDEFGHIJ");
}

TEST_F(GsiWriterTest, NoValidStationGivesAnEmptyFile) {
    const Tday_obs book = Reduce(HotStationLines());
    EXPECT_TRUE(GsiFileLines(book).empty());
    std::string error;
    ASSERT_TRUE(WriteGsiFile(book, Path("x_out.gsi"), &error)) << error;
    EXPECT_EQ(ReadBytes(Path("x_out.gsi")), "");
}
