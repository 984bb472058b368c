// The levelling commands of the console: a GSI16 double-reading recording
// converted and reduced, the weighting options, the sorts and iob -> obs.
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

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "levelling";

class LevellingConsole : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "levelling" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& out,
                       const std::string& extra = "") {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out) + extra,
                           env_, dir_);
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(LevellingConsole, DoubleReadingRecordingConvertedAndReduced) {
    auto r = Run("gsi2na3", kData / "bffb16.gsi", "book.na3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "book.na3"), Slurp(kData / "bffb16.na3"));

    // By hand, run 1: (1.48125 - 1.02213) + (1.61542 - 1.20319) + (1.37004 - 1.35789)
    // = 0.45912 + 0.41223 + 0.01215 = 0.88350 over 3 set-ups (n = 6);
    // mode 2 with 0.5 mm: 0.0005 * sqrt(3) = 0.00087.
    r = Run("na32obs", dir_ / "book.na3", "m2", " -s 0.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Param s : 0.5\n"), std::string::npos) << r.out;
    EXPECT_EQ(Slurp(dir_ / "m2.obs"),
              "* Cheminement 1\r\n"
              "4     RN12      B45      0.88350   0.00087  0.00000  0.00000  0.00000\r\n"
              "* Cheminement 2\r\n"
              "4      B45     RN13     -1.15609   0.00071  0.00000  0.00000  0.00000\r\n"
              "* Cheminement 3\r\n"
              "4     RN13     RN12      0.27261   0.00071  0.00000  0.00000  0.00000\r\n");
    EXPECT_NE(Slurp(dir_ / "m2.iob").find(" OHDF     RN12         B45                               0.88350    0.00087"),
              std::string::npos);
    EXPECT_NE(Slurp(dir_ / "m2.gkf").find(R"(<dh from="RN12"           to="B45"            val="0.88350" stdev="0.87" />)"),
              std::string::npos);

    // Mode 0: six rows of E.M.Q. 0.1 mm: sqrt(0.06) mm = 0.00024 m. Mode 1:
    // 146.82 m of sights: sqrt(0.14682) * 0.5 mm = 0.00019 m.
    r = Run("na32obs", dir_ / "book.na3", "m0", " --weighting=0 -s 0.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "m0.obs").find("4     RN12      B45      0.88350   0.00024"), std::string::npos);
    r = Run("na32obs", dir_ / "book.na3", "m1", " -w 1 -s 0.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "m1.obs").find("4     RN12      B45      0.88350   0.00019"), std::string::npos);

    // Sorted (by pair: B45-RN12, B45-RN13, RN12-RN13), each in its own
    // direction; then Geolab style, and back to .obs.
    r = Run("obs2tri", dir_ / "m2.iob", "sorted.tri");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "sorted.tri"),
              "*  Cheminement 1\r\n*  Cheminement 2\r\n*  Cheminement 3\r\n"
              "4     RN12      B45      0.88350   0.00087  0.00000  0.00000  0.00000\r\n"
              "4      B45     RN13     -1.15609   0.00071  0.00000  0.00000  0.00000\r\n"
              "4     RN13     RN12      0.27261   0.00071  0.00000  0.00000  0.00000\r\n");
    r = Run("iob2tri", dir_ / "m2.obs", "geo.tri");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "geo.tri").find(" OHDF     B45          RN13"), std::string::npos);
    r = Run("iob2obs", dir_ / "m2.iob", "back.obs");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "back.obs").find("4     RN13     RN12      0.27261   0.00071"), std::string::npos);
}

TEST_F(LevellingConsole, RefusalsAndEmptyBook) {
    for (const char* extra : {" -w 3", " -w x", " -s abc", " -s -1", " -s 0"}) {
        const auto r = Run("na32obs", kData / "bffb16.na3", "bad", extra);
        EXPECT_EQ(r.status, 2) << extra;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(dir_ / "bad.obs"));

    // A recording (not a book) reads as no run: nothing written.
    auto r = Run("na32obs", kData / "bffb16.gsi", "empty");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Fichier réduit vide"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "empty.obs"));
    EXPECT_FALSE(fs::exists(dir_ / "empty.gkf"));

    r = Run("gsi2na3", dir_ / "missing.gsi", "x");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.gsi"), std::string::npos);

    // A reading that is not a number stops the conversion; an earlier book stays.
    const fs::path bad = dir_ / "bad.gsi";
    {
        std::ofstream f(bad);
        f << "410001+?......1\r\n110002+00000001 331.08+0012A456\r\n";
    }
    std::ofstream(dir_ / "earlier.na3") << "earlier";
    r = Run("gsi2na3", bad, "earlier.na3");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 2"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "earlier.na3"), "earlier");
}
