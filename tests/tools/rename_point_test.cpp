#include "tools/rename_point.hpp"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/text_file.hpp"

namespace kestrova {
namespace {

const std::vector<std::string> kBook = {
    "* lever du 12",
    " prisme P1               cste_m -0.0175 ",
    " station 12 Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5",
    "  numero 12       AH_gr  100.0000 AV_gr  100.0000 Dp_m   25.0000 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 14       AH_gr  200.0000 AV_gr   99.0000 Dp_m   30.0000 ppm_cste_mm 0012+000 hv_m    1.6000 * vers 12",
    "  station 14 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.5",
    "  numero 12 AH_gr 300 AV_gr 100 Dp_m 25 ppm_cste_mm 0012+000 hv_m 1.6 prisme P1",
};

TEST(RenamePoint, TargetsOnlyLeavesTheStationsAsTheyWere) {
    int renamed = 0;
    const auto out = RenamePoint(kBook, "12", "13", {true, false}, &renamed);
    ASSERT_TRUE(out);
    EXPECT_EQ(renamed, 2);
    const std::vector<std::string> expected = {
        "* lever du 12",
        " prisme P1               cste_m -0.0175 ",
        "station 12 Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5",
        " numero        13 AH_gr  100.0000 AV_gr  100.0000 Dp_m   25.0000 ppm_cste_mm  0012+000 hv_m    1.6000",
        " numero        14 AH_gr  200.0000 AV_gr   99.0000 Dp_m   30.0000 ppm_cste_mm  0012+000 hv_m    1.6000 * vers 12",
        "station 14 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.5",
        " numero        13 AH_gr       300 AV_gr       100 Dp_m        25 ppm_cste_mm  0012+000 hv_m       1.6 "
        "prisme        P1",
    };
    EXPECT_EQ(*out, expected);
}

TEST(RenamePoint, StationsOnlyAndCaseMatters) {
    const auto out = RenamePoint(kBook, "14", "S14", {false, true});
    ASSERT_TRUE(out);
    EXPECT_EQ((*out)[5], "station S14 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.5");
    EXPECT_EQ((*out)[4], " " + std::string(kBook[4].substr(2)));  // targets untouched, one leading blank
    int renamed = -1;
    EXPECT_TRUE(RenamePoint(kBook, "p1", "P2", {true, true}, &renamed));
    EXPECT_EQ(renamed, 0);
    EXPECT_FALSE(RenamePoint(kBook, " ; ", "13", {true, true}));
    EXPECT_FALSE(RenamePoint({"une note", "une autre"}, "12", "13", {true, true}));
}

std::vector<std::string> LevellingBook() {
    return {
        "Carnet de nivellement",
        "W I L D  N A 2 0 0 0",
        "ligne 1",
        "",
        "",
        "",
        "  Point     code    Lecture",
        "      100   1.23456  12.000",
        "     1001   0.98765  25.000",
        "      100   code 5",
        "     1001x  0.5      10.000",
    };
}

TEST(RenamePoint, LevellingBookRenamesTheFirstNineCharacters) {
    const auto lines = LevellingBook();
    const TRenamePreset p = RenamePreset(lines, 8);
    EXPECT_EQ(p.book, TRenameBook::Levelling);
    EXPECT_EQ(p.name, "1001");
    EXPECT_FALSE(p.choicesEnabled);
    EXPECT_EQ(RenamePreset(lines, 6).name, "");
    int renamed = 0;
    const auto out = RenamePoint(lines, "100", "RN.A", {true, false}, &renamed);
    ASSERT_TRUE(out);
    EXPECT_EQ(renamed, 1);
    EXPECT_EQ((*out)[7], "     RN.A   1.23456  12.000");
    EXPECT_EQ((*out)[9], lines[9]);  // a "code" line is copied
    EXPECT_EQ((*out)[8], lines[8]);
    EXPECT_EQ((*out)[10], lines[10]);
}

TEST(RenamePoint, PresetTakesTheNameUnderTheCaret) {
    EXPECT_EQ(RenamePreset(kBook, 3).name, "12");
    EXPECT_EQ(RenamePreset(kBook, 5).name, "14");
    EXPECT_TRUE(RenamePreset(kBook, 5).choicesEnabled);
    EXPECT_EQ(RenamePreset(kBook, 1).name, "");
}

TEST(RenamePoint, BackupAndBookAreWrittenTogether) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "rename";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "book.crt").string();
    WriteTextLines(path, kBook);
    const auto renamed = RenamePoint(kBook, "12", "13", {true, false});
    WriteRenamedBook(path, kBook, *renamed);
    EXPECT_EQ(ReadTextLines(path + ".backup"), kBook);
    EXPECT_EQ(ReadTextLines(path), *renamed);
    EXPECT_EQ(ReadFileBytes(path).substr(0, 15), "* lever du 12\r\n");

    // A folder in the way of the backup: nothing changes and the error names it.
    const std::string other = (dir / "other.crt").string();
    WriteTextLines(other, kBook);
    fs::create_directories(other + ".backup/x");
    EXPECT_THROW(WriteRenamedBook(other, kBook, *renamed), TextFileError);
    EXPECT_EQ(ReadTextLines(other), kBook);
    EXPECT_TRUE(fs::is_directory(other + ".backup"));
    for (const auto& entry : fs::directory_iterator(dir))  // no temporary left
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace kestrova
