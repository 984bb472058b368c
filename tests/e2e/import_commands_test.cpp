// The console conversions of instrument files and text books:
// gdm2crt, gdm2xcrt, shoot2crt, crt2xcrt and gsi2crt, whole outputs
// compared with reviewed files, and their refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "import";
const fs::path kGolden = kData / "golden";

class ImportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "import" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        // An ini of defaults, so that stderr holds only the commands' own messages.
        std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[general]\r\n";
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& out) {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out), env_, dir_);
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(ImportCommandsTest, EachCommandGivesTheReviewedBook) {
    struct Case {
        const char* command;
        fs::path in;
        const char* out;
        const char* golden;
    };
    const Case cases[] = {
        {"gdm2crt", kData / "chantier.gdm", "chantier.carnet", "chantier.carnet"},
        {"gdm2xcrt", kData / "chantier.gdm", "chantier.xcrt", "chantier.xcrt"},
        {"crt2xcrt", kData / ".." / "crt2obs" / "text_book.crt", "text_book.xcrt", "text_book.xcrt"},
        {"gsi2crt", kData / ".." / "gsi" / "station_set.gsi", "station_set.carnet", "station_set.carnet"},
    };
    for (const Case& c : cases) {
        const auto r = Run(c.command, c.in, c.out);
        ASSERT_EQ(r.status, 0) << c.command << ": " << r.err;
        EXPECT_EQ(r.err, "") << c.command;
        EXPECT_EQ(Slurp(dir_ / c.out), Slurp(kGolden / c.golden)) << c.command;
    }
    // shoot2crt writes both books beside the name given, whatever its
    // extension.
    const auto r = Run("shoot2crt", kData / "surveillance.shoot", "surveillance.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "surveillance.crt"), Slurp(kGolden / "surveillance.crt"));
    EXPECT_EQ(Slurp(dir_ / "surveillance.xcrt"), Slurp(kGolden / "surveillance.xcrt"));
    EXPECT_FALSE(fs::exists(dir_ / "surveillance.txt"));

    // The books reduce: the shoot book gives one station per cycle.
    const auto red = RunKestrova("-x crt2obs -i surveillance.xcrt -o red", env_, dir_);
    ASSERT_EQ(red.status, 0) << red.err;
    EXPECT_NE(Slurp(dir_ / "red.chk").find("Station n"), std::string::npos);
}

TEST_F(ImportCommandsTest, GsiHeaderStyleIsTheOneTheDialogWouldPropose) {
    // The ini says "covadis"; the recording's header is of the "TS" kind,
    // which the conversion dialog proposes and the console takes.
    std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[import]\r\nentete_gsi=covadis\r\n";
    auto r = Run("gsi2crt", kData / ".." / "gsi" / "station_set.gsi", "ts.carnet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "ts.carnet"), Slurp(kGolden / "station_set.carnet"));
    // Without any header line the ini's style stands: measurements only
    // give the default station.
    Write("mesures.gsi", "110002+000000P1 21.322+10000000 22.322+10000000 31..00+00010000\r\n");
    r = Run("gsi2crt", dir_ / "mesures.gsi", "m.carnet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "m.carnet").substr(0, 20), " station 0        Te");
}

TEST_F(ImportCommandsTest, FailuresWriteNothingAndNameTheLine) {
    // GDM text route: an angle that is not a number.
    Write("illisible.gdm", "2=S1\r\n5=P1\r\n6=1.5\r\n7=12x\r\n");
    Write("kept.carnet", "previous");
    auto r = Run("gdm2crt", dir_ / "illisible.gdm", "kept.carnet");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 4"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "kept.carnet"), "previous");
    // The XML route copies the value as recorded.
    r = Run("gdm2xcrt", dir_ / "illisible.gdm", "copie.xcrt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "copie.xcrt").find("Hz=\"12x\""), std::string::npos);

    // Text book with a line read in part: refused, the line named.
    r = Run("crt2xcrt", kData / "lecture_partielle.crt", "partiel.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 17"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "partiel.xcrt"));

    // Shoot: an impossible date on line 3; neither book is written.
    Write("dates.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\n01/02/2021 10:00:00 1 A 1 2 3 1\n"
                         "30/02/2021 10:00:00 1 A 1 2 3 1\n");
    r = Run("shoot2crt", dir_ / "dates.shoot", "dates");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 3"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "dates.crt"));
    EXPECT_FALSE(fs::exists(dir_ / "dates.xcrt"));

    // Shoot without any shot: an empty text book, no XML book, a message.
    Write("vide.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\r\n");
    r = Run("shoot2crt", dir_ / "vide.shoot", "vide.crt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Aucun tir"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "vide.crt"));
    EXPECT_EQ(fs::file_size(dir_ / "vide.crt"), 0u);
    EXPECT_FALSE(fs::exists(dir_ / "vide.xcrt"));

    // Missing input; output named like the input.
    r = Run("gdm2xcrt", dir_ / "absent.gdm", "absent.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le fichier GDM"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "absent.xcrt"));
    fs::copy_file(kData / "surveillance.shoot", dir_ / "s.crt");
    r = Run("shoot2crt", dir_ / "s.crt", "s");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir_ / "s.crt"), Slurp(kData / "surveillance.shoot"));
    EXPECT_FALSE(fs::exists(dir_ / "s.xcrt"));
}
