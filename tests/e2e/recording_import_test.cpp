// The console import of instrument recordings: each test recording
// recognised, converted and reduced (crt2obs, na32obs), the reduced
// directions, zenith angles, distances and height differences worked out
// by hand from the recordings; the GSI, GDM and shoot routes give the
// books of their own commands; and the refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA);

class RecordingImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "recording_import" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[general]\r\n";
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& out,
                       const std::string& more = "") {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out) + more, env_,
                           dir_);
    }
    // Imports `recording` into `book`, checks the summary, reduces the book
    // and returns the observation file.
    std::string ImportAndReduce(const char* recording, const std::string& book, const std::string& format,
                                const std::string& counts) {
        const auto r = Run("import", kData / "import" / recording, book);
        EXPECT_EQ(r.status, 0) << recording << ": " << r.err;
        EXPECT_NE(r.out.find("Format reconnu : " + format + "\n" + counts), std::string::npos) << r.out;
        const auto reduced = Run("crt2obs", dir_ / book, "reduit");
        EXPECT_EQ(reduced.status, 0) << reduced.err;
        return Slurp(dir_ / "reduit.obs");
    }
    static bool Has(const std::string& text, const std::string& line) {
        return text.find("\r\n" + line) != std::string::npos;
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(RecordingImportTest, SokkiaRecordingsAreReduced) {
    std::string obs = ImportAndReduce("chantier_sdr33.sdr", "sdr33.crt", "Sokkia SDR33 / SDR2x",
                                      "Stations : 2\nVisées : 6\n");
    // Directions: (123.4567 + 323.4571 - 200) / 2 and (250.0000 + 50.0004 + 200) / 2.
    EXPECT_TRUE(Has(obs, "5 S1               102                126.5433")) << obs;
    // Zenith angles: (99.8765 + 400 - 300.1237) / 2, (100.12 + 400 - 299.8804) / 2.
    EXPECT_TRUE(Has(obs, "6 S1               101                 99.8764")) << obs;
    EXPECT_TRUE(Has(obs, "6 S2               S1                 100.1198")) << obs;

    obs = ImportAndReduce("chantier_sdr2x.sdr", "sdr2x.carnet", "Sokkia SDR33 / SDR2x", "Stations : 2\nVisées : 4\n");
    // 1.5° above the horizon in both faces; 90.25° - 0°.
    EXPECT_TRUE(Has(obs, "6 1                2                   98.3333")) << obs;
    EXPECT_TRUE(Has(obs, "5 3                4                  100.2778")) << obs;
}

TEST_F(RecordingImportTest, CarlsonRecordingIsReducedFromTheXmlBook) {
    const std::string obs =
        ImportAndReduce("chantier_carlson.rw5", "rw5.xcrt", "Carlson RW5", "Stations : 2\nVisées : 10\n");
    // Directions in DDD.MMSS: 201 at (55°05'52.1" + 235°05'53.0" - 180°) / 2
    // = 61.21992 gon, less 200's (0 + 200.00123 - 200) / 2.
    EXPECT_TRUE(Has(obs, "5 100              201                 61.2193")) << obs;
    EXPECT_TRUE(Has(obs, "6 100              200                100.0028")) << obs;
    // (120.456 + 120.458) / 2 at the default weather (no correction).
    EXPECT_TRUE(Has(obs, "3 100              200                120.4570")) << obs;
    // Feet and gons after the second MO record: (395.197 + 395.203) / 2 ft.
    EXPECT_TRUE(Has(obs, "3 200              100                120.4569")) << obs;
}

TEST_F(RecordingImportTest, NikonRecordingIsReduced) {
    const std::string obs =
        ImportAndReduce("chantier_nikon.raw", "nikon.crt", "Nikon RAW V2.00", "Stations : 2\nVisées : 12\n");
    // 123°45'30" and 303°45'32": 137.50957 gon less target 2's 0.00031.
    EXPECT_TRUE(Has(obs, "5 1                3                  137.5093")) << obs;
    EXPECT_TRUE(Has(obs, "6 1                3                  101.3951")) << obs;
    // The backsight F1/F2 records without a point name aim at the ST's backsight point.
    EXPECT_TRUE(Has(obs, "7 2                1                    0.0000")) << obs;
}

TEST_F(RecordingImportTest, M5RecordingIsReduced) {
    const std::string obs = ImportAndReduce("chantier_m5.m5", "m5.xcrt", "Zeiss / Trimble M5 (station totale)",
                                            "Stations : 2\nVisées : 8\n");
    // (200 + 200.0004) / 2 - (123.4567 + 323.4571 - 200) / 2.
    EXPECT_TRUE(Has(obs, "5 1                102                 76.5433")) << obs;
    EXPECT_TRUE(Has(obs, "6 1                102                 95.0000")) << obs;
    // An elevation angle of 1°30' (DMS): zenith angle 98.3333 gon.
    EXPECT_TRUE(Has(obs, "6 1                103                 98.3333")) << obs;
}

TEST_F(RecordingImportTest, DiniRecordingGivesALevellingBookThatReduces) {
    // The output's extension becomes ".na3".
    const auto r = Run("import", kData / "import" / "nivellement_dini.m5", "ligne.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Format reconnu : Zeiss / Trimble M5 (niveau DiNi)\nLectures : 13\n"), std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(dir_ / "ligne.xcrt"));
    const auto reduced = Run("na32obs", dir_ / "ligne.na3", "ligne");
    ASSERT_EQ(reduced.status, 0) << reduced.err;
    const std::string obs = Slurp(dir_ / "ligne.obs");
    // 1.48125 - 1.02213 + 1.61544 - 1.20321 over the change point 700001.
    EXPECT_TRUE(Has(obs, "4     RN12      B45      0.87135")) << obs;
    // The intermediate sight: 0.95435 - 1.10000.
    EXPECT_TRUE(Has(obs, "4      B45       P7     -0.14565")) << obs;
    // The aBF run records its second set-up foresight first (RN13, 4.265 ft
    // = 1.29997 m, then the backsight 1.50000 on the change point):
    // B45 -> RN13 = (0.95435 - 1.40000) + (1.50000 - 1.29997) = -0.24562,
    // of which 0.14565 is already in B45 -> P7.
    EXPECT_TRUE(Has(obs, "4       P7     RN13     -0.09997")) << obs;
}

TEST_F(RecordingImportTest, OlderRoutesGiveTheBooksOfTheirOwnCommands) {
    struct Case {
        fs::path in;
        const char* command;
        const char* own;  // the output of the command
        const char* book; // the output of the import
    };
    const Case cases[] = {
        {kData / "gsi" / "station_set.gsi", "gsi2xcrt", "own.xcrt", "import.xcrt"},
        {kData / "gsi" / "mixed_units8.gsi", "gsi2crt", "own.carnet", "import.carnet"},
        {kData / "import" / "chantier.gdm", "gdm2crt", "own.crt", "import.crt"},
        {kData / "import" / "chantier.gdm", "gdm2xcrt", "own.xcrt", "import.xcrt"},
        {kData / "import" / "surveillance.shoot", "shoot2crt", "own.xcrt", "import.xcrt"},
        {kData / "levelling" / "bffb16.gsi", "gsi2na3", "own.na3", "import.na3"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Run(c.command, c.in, c.own).status, 0) << c.command;
        const auto r = Run("import", c.in, c.book);
        ASSERT_EQ(r.status, 0) << c.command << ": " << r.err;
        EXPECT_EQ(Slurp(dir_ / c.book), Slurp(dir_ / c.own)) << c.command;
        fs::remove(dir_ / c.book);
        fs::remove(dir_ / c.own);
    }
}

TEST_F(RecordingImportTest, RefusalsWriteNothing) {
    // A text book, random bytes, an empty file: not recognised.
    auto r = Run("import", kData / "crt2obs" / "text_book.crt", "a.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Format de relevé non reconnu ; première ligne : « * Carnet de terrain"), std::string::npos)
        << r.err;
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 5000; ++i) noise += static_cast<char>(random() % 256);
    std::ofstream(dir_ / "bruit.bin", std::ios::binary) << noise;
    std::ofstream(dir_ / "vide.sdr", std::ios::binary) << "";
    EXPECT_EQ(Run("import", dir_ / "bruit.bin", "b.xcrt").status, 1);
    EXPECT_EQ(Run("import", dir_ / "vide.sdr", "c.xcrt").status, 1);

    // An angle that is not a number: the line is named, nothing is written.
    std::string rw5 = Slurp(kData / "import" / "chantier_carlson.rw5");
    rw5.replace(rw5.find("AR55.05521"), 10, "AR55,05521");
    std::ofstream(dir_ / "virgule.rw5", std::ios::binary) << rw5;
    r = Run("import", dir_ / "virgule.rw5", "d.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ligne 10 : champ « 05521 » sans en-tête (virgule décimale ?)"), std::string::npos) << r.err;

    // Writing over the recording, or an unknown --format name.
    fs::copy_file(kData / "import" / "chantier_nikon.raw", dir_ / "n.raw");
    EXPECT_EQ(Run("import", dir_ / "n.raw", (dir_ / "n.raw").string()).status, 1);
    EXPECT_EQ(Slurp(dir_ / "n.raw"), Slurp(kData / "import" / "chantier_nikon.raw"));
    EXPECT_EQ(Run("import", dir_ / "n.raw", "e.xcrt", " -r topcon").status, 2);
    for (const char* out : {"a.xcrt", "b.xcrt", "c.xcrt", "d.xcrt", "e.xcrt"}) EXPECT_FALSE(fs::exists(dir_ / out)) << out;
    // The format given by name.
    EXPECT_EQ(Run("import", dir_ / "n.raw", "f.xcrt", " --format=nikon").status, 0);
}
