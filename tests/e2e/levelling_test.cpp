// The levelling commands of the console: a GSI16 double-reading recording
// converted and reduced, the weighting options, the sorts and iob -> obs;
// the four levelling methods, broken runs, zero weights and inputs that are
// not what the command reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text_file.hpp"
#include "e2e/gama_check.hpp"
#include "e2e/run_binary.hpp"
#include "levelling/na3_format.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;
using e2e::ExpectGamaTakes;

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
    // The run's stderr without the notice of the ini's creation.
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& out,
                       const std::string& extra = "") {
        e2e::RunResult r = RunOnce(command, in, out, extra);
        if (r.err.rfind("Création du fichier", 0) == 0) r.err.erase(0, r.err.find('\n') + 1);
        return r;
    }
    e2e::RunResult RunOnce(const std::string& command, const fs::path& in, const std::string& out,
                           const std::string& extra = "") {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out) + extra,
                           env_, dir_);
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    fs::path dir_;
    std::string env_;
};

// A levelling book: its header, then "Code=" lines ("") and rows of
// name, backsight, foresight, intermediate and E.M.Q.
struct TRow {
    const char* name;
    double back, fore, intermediate, emq;
};
void WriteBook(const fs::path& path, const std::vector<std::vector<TRow>>& runs) {
    std::vector<std::string> lines = kestrova::Na3HeaderLines();
    for (const auto& run : runs) {
        lines.push_back(kestrova::Na3CodeLine());
        for (const TRow& r : run) {
            kestrova::Tobs_niv o;
            o.name = r.name;
            o.backsight = r.back;
            o.foresight = r.fore;
            o.intermediate = r.intermediate;
            o.emq = r.emq;
            o.count = 2;
            o.distance = 20;
            lines.push_back(kestrova::Na3Row(o));
        }
    }
    kestrova::WriteTextLines(path.string(), lines);
}

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

TEST_F(LevellingConsole, AlternatingMethodsGiveTheMeasuredDifferences) {
    // aBF: every second set-up takes the foresight first. By hand:
    // BM1 -> BM2 = (1.5 - 1.1) + (1.4 - 1.3) = +0.5; BM2 -> BM3 = (1.2 - 1.0) + (1.15 - 1.25) = +0.1.
    Write("abf.gsi",
          "410001+?......3\r\n"
          "110002+00000BM1 32...8+02000000 331.08+00150000\r\n"
          "110003+00700001 32...8+02000000 332.08+00110000\r\n"
          "110004+00000BM2 32...8+02000000 332.08+00130000\r\n"
          "110005+00700001 32...8+02000000 331.08+00140000\r\n"
          "110006+00000BM2 32...8+02000000 331.08+00120000\r\n"
          "110007+00700002 32...8+02000000 332.08+00100000\r\n"
          "110008+00000BM3 32...8+02000000 332.08+00125000\r\n"
          "110009+00700002 32...8+02000000 331.08+00115000\r\n");
    auto r = Run("gsi2na3", dir_ / "abf.gsi", "abf.na3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    r = Run("na32obs", dir_ / "abf.na3", "abf");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "abf.obs"),
              "* Cheminement 1\r\n"
              "4      BM1      BM2      0.50000   0.00014  0.00000  0.00000  0.00000\r\n"
              "4      BM2      BM3      0.10000   0.00014  0.00000  0.00000  0.00000\r\n");
    ExpectGamaTakes(dir_ / "abf.gkf");

    // aBFFB: B1 F1 F2 B2 then F1 B1 B2 F2. By hand: A -> B =
    // (1.5001 - 1.0001) + (1.40005 - 1.20005) = +0.7.
    Write("abffb.gsi",
          "410001+?......4\r\n"
          "110002+0000000A 32...8+02000000 331.08+00150000\r\n"
          "110003+00700001 32...8+02000000 332.08+00100000\r\n"
          "110004+00700001 32...8+02000000 336.08+00100020\r\n"
          "110005+0000000A 32...8+02000000 335.08+00150020\r\n"
          "110006+0000000B 32...8+02000000 332.08+00120000\r\n"
          "110007+00700001 32...8+02000000 331.08+00140000\r\n"
          "110008+00700001 32...8+02000000 335.08+00140010\r\n"
          "110009+0000000B 32...8+02000000 336.08+00120010\r\n");
    r = Run("gsi2na3", dir_ / "abffb.gsi", "abffb.na3");
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run("na32obs", dir_ / "abffb.na3", "abffb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "abffb.obs"),
              "* Cheminement 1\r\n"
              "4        A        B      0.70000   0.00014  0.00000  0.00000  0.00000\r\n");

    // The four methods mixed over four runs of a loop RN1 -> B1 -> B2 -> B3
    // -> RN1, with intermediate sights (P10, P20) and summary blocks after
    // some set-ups. By hand, from the readings of the recording:
    //  run 1, BF:    RN1 -> P10 = 1.52310 - 0.98760 + 1.40220 - 1.10050 = +0.83720 (4 readings)
    //                P10 -> B1  = 1.10050 - 1.21340 + 1.33330 - 1.45670 = -0.23630
    //  run 2, BFFB:  B1 -> B2   = 1.20002 - 1.55553 + 1.61112 - 0.90001 = +0.35560 (means of two readings)
    //  run 3, aBF:   B2 -> P20  = 1.1 - 1.3 + 1.44 - 1.05 + 1.25 - 1.2 + 1.36 - 0.8123 = +0.78770 (8 readings)
    //                P20 -> B3  = 0.8123 - 1.375 = -0.56270 (P20 recorded between B3's foresight and the backsight)
    //  run 4, aBFFB: B3 -> RN1  = 0.80001 - 1.52002 + 1.15882 - 1.62001 = -1.18120
    // Loop misclosure 0.3 mm. Mode 2 with 0.1 mm: 0.1 * sqrt(n / 2) mm.
    r = Run("gsi2na3", kData / "methods_mixed.gsi", "mixed.na3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    r = Run("na32obs", dir_ / "mixed.na3", "mixed");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Slurp(dir_ / "mixed.obs"),
              "* Cheminement 1\r\n"
              "4      RN1      P10      0.83720   0.00014  0.00000  0.00000  0.00000\r\n"
              "4      P10       B1     -0.23630   0.00014  0.00000  0.00000  0.00000\r\n"
              "* Cheminement 2\r\n"
              "4       B1       B2      0.35560   0.00014  0.00000  0.00000  0.00000\r\n"
              "* Cheminement 3\r\n"
              "4       B2      P20      0.78770   0.00020  0.00000  0.00000  0.00000\r\n"
              "4      P20       B3     -0.56270   0.00010  0.00000  0.00000  0.00000\r\n"
              "* Cheminement 4\r\n"
              "4       B3      RN1     -1.18120   0.00014  0.00000  0.00000  0.00000\r\n");
    ExpectGamaTakes(dir_ / "mixed.gkf");

    // Mode 0: the level's E.M.Q. Run 4's are 0.04 mm (0.028 mm for the mean
    // of two): the book keeps them (0.03), the difference weighs
    // sqrt(4 * 0.03^2) = 0.06 mm instead of a zero gama-local refuses.
    EXPECT_NE(Slurp(dir_ / "mixed.na3").find("      B3   0.80001   0.0       0.0     6 / 0.03   0.0      30.000"),
              std::string::npos);
    r = Run("na32obs", dir_ / "mixed.na3", "mixed0", " -w 0");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string obs0 = Slurp(dir_ / "mixed0.obs");
    EXPECT_NE(obs0.find("4       B3      RN1     -1.18120   0.00006"), std::string::npos) << obs0;
    EXPECT_NE(obs0.find("4       B2      P20      0.78770   0.00028"), std::string::npos) << obs0;
    EXPECT_NE(Slurp(dir_ / "mixed0.gkf").find(R"(to="RN1"            val="-1.18120" stdev="0.06" />)"),
              std::string::npos);
    ExpectGamaTakes(dir_ / "mixed0.gkf");
}

TEST_F(LevellingConsole, BrokenRunsAreToldAndNothingGamaRefusesIsWritten) {
    // Run 1 ends on a turning point (no closing point); run 2 is whole.
    const std::vector<TRow> endsOnTurningPoint = {
        {"A", 1.0, 0, 0, 0.1}, {"700001", 0, 0.5, 0, 0.1}, {"700001", 0.8, 0, 0, 0.1}, {"700002", 0, 0.4, 0, 0.1}};
    WriteBook(dir_ / "open.na3", {endsOnTurningPoint, {{"C", 1.2, 0, 0, 0.1}, {"D", 0, 0.7, 0, 0.1}}});
    auto r = Run("na32obs", dir_ / "open.na3", "open");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("cheminement 1 (ligne 7) : les lectures depuis A n'atteignent aucun point nommé (dernier "
                         "point lu : 700002) et ne donnent aucune dénivelée"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp(dir_ / "open.obs"),
              "* Cheminement 2\r\n4        C        D      0.50000   0.00010  0.00000  0.00000  0.00000\r\n");
    ExpectGamaTakes(dir_ / "open.gkf");

    // Alone, or a run of no row: nothing at all remains. Earlier files stay.
    Write("earlier.obs", "earlier");
    WriteBook(dir_ / "only.na3", {endsOnTurningPoint});
    WriteBook(dir_ / "norow.na3", {{}});
    for (const char* book : {"only.na3", "norow.na3"}) {
        r = Run("na32obs", dir_ / book, "earlier");
        EXPECT_EQ(r.status, 1) << book;
        EXPECT_NE(r.err.find("Fichier réduit vide"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("cheminement 1 (ligne 7)"), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(dir_ / "earlier.obs"), "earlier");
        EXPECT_FALSE(fs::exists(dir_ / "earlier.gkf"));
        EXPECT_FALSE(fs::exists(dir_ / "earlier.iob"));
    }

    // A foresight where a set-up's backsight should be: the difference would
    // start at turning point 700001 (and tie it to every other 700001).
    WriteBook(dir_ / "broken.na3", {{{"A", 1.0, 0, 0, 0.1},
                                     {"B", 0, 0.5, 0, 0.1},
                                     {"700001", 0, 0.7, 0, 0.1},
                                     {"700001", 0.9, 0, 0, 0.1},
                                     {"C", 0, 0.4, 0, 0.1}}});
    r = Run("na32obs", dir_ / "broken.na3", "broken");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("ligne 12 : la dénivelée 700001 -> C part du point nodal 700001"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "broken.obs"),
              "* Cheminement 1\r\n4        A        B      0.50000   0.00010  0.00000  0.00000  0.00000\r\n");

    // Mode 0 on a book whose E.M.Q. read 0.0: refused, naming the rows and
    // the other modes; nothing written. Modes 1 and 2 go through.
    WriteBook(dir_ / "noemq.na3", {{{"A", 1.0, 0, 0, 0}, {"B", 0, 0.5, 0, 0}}, {{"B", 1.0, 0, 0, 0.1}, {"C", 0, 0.5, 0, 0.1}}});
    r = Run("na32obs", dir_ / "noemq.na3", "noemq", " -w 0");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Pondération 0 refusée : l'écart-type de 1 dénivelée serait nul, ce que gama-local refuse :\n"
                         "  ligne 9 : A -> B\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Choisissez la pondération 1 (sigma*sqrt(D)) ou 2 (sigma*sqrt(n))."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "noemq.obs"));
    EXPECT_FALSE(fs::exists(dir_ / "noemq.gkf"));
    for (const char* mode : {" -w 1", " -w 2"}) {
        r = Run("na32obs", dir_ / "noemq.na3", "noemq", mode);
        EXPECT_EQ(r.status, 0) << mode << r.err;
        ExpectGamaTakes(dir_ / "noemq.gkf");
    }
    // Modes 1 and 2 with a reference too small for the decimals of the
    // file: refused as well, the reference named; the smallest written
    // standard deviation (0.01 mm) is one gama-local takes.
    std::ofstream(dir_ / "small.obs") << "avant";
    for (const char* mode : {" -w 1 -s 0.01", " -w 2 -s 0.001"}) {
        r = Run("na32obs", dir_ / "noemq.na3", "small", mode);
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_NE(r.err.find(" refusée : l'écart-type de 2 dénivelées serait nul"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("un écart-type de référence plus grand."), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(dir_ / "small.obs"), "avant");
        EXPECT_FALSE(fs::exists(dir_ / "small.gkf"));
    }
    r = Run("na32obs", dir_ / "noemq.na3", "small", " -w 2 -s 0.01");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "small.gkf").find(R"(stdev="0.01")"), std::string::npos);
    ExpectGamaTakes(dir_ / "small.gkf");
}

TEST_F(LevellingConsole, WhatIsNotTheInputIsRefusedAndLenientNumbersAreTold) {
    std::string random(1 << 20, '\0');
    unsigned state = 12345;
    for (char& c : random) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    std::string utf16 = "\xFF\xFE";
    for (const char c : Slurp(kData / "bffb16.na3")) {
        utf16 += c;
        utf16 += '\0';
    }
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"empty", ""},
        {"random", random},
        {"utf16", utf16},
        {"longline", std::string((std::size_t(17) << 20), '1')},
    };
    for (const auto& [name, bytes] : inputs) {
        Write(name, bytes);
        for (const char* command : {"gsi2na3", "na32obs"}) {
            SCOPED_TRACE(name + " " + command);
            Write("earlier.na3", "earlier");
            Write("earlier.obs", "earlier");
            const auto r = Run(command, dir_ / name, std::string(command) == "gsi2na3" ? "earlier.na3" : "earlier");
            EXPECT_EQ(r.status, 1) << r.err;
            EXPECT_NE(r.err.find(std::string(command) == "gsi2na3" ? "GSI" : "carnet"),
                      std::string::npos)
                << r.err;
            EXPECT_EQ(Slurp(dir_ / "earlier.na3"), "earlier");
            EXPECT_EQ(Slurp(dir_ / "earlier.obs"), "earlier");
            EXPECT_FALSE(fs::exists(dir_ / "earlier.gkf"));
        }
    }

    // Mostly foreign lines around a real recording and a real book: read,
    // with the count of the others.
    std::string noisyGsi = Slurp(kData / "bffb16.gsi"), noisyBook = Slurp(kData / "bffb16.na3");
    for (int i = 0; i < 100; ++i) {
        noisyGsi += "remarque de terrain\r\n";
        noisyBook += "remarque de terrain\r\n";
    }
    Write("noisy.gsi", noisyGsi);
    Write("noisy.na3", noisyBook);
    auto r = Run("gsi2na3", dir_ / "noisy.gsi", "noisy_out.na3");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("100 lignes sur 141 ne sont pas des blocs GSI"), std::string::npos) << r.err;
    r = Run("na32obs", dir_ / "noisy.na3", "noisy");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("100 lignes sur 127 ne sont pas des lignes de carnet de nivellement"), std::string::npos)
        << r.err;

    // A decimal comma in a backsight still reads 0 (the book reader is
    // lenient), but each such word is told with its line and what it holds.
    std::string book = Slurp(kData / "bffb16.na3");
    book.replace(book.find("1.48125"), 7, "1,48125");
    book.replace(book.find("25.140"), 6, "25;140");
    Write("comma.na3", book);
    r = Run("na32obs", dir_ / "comma.na3", "comma");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("comma.na3 : ligne 9 : lecture arrière \"1,48125\" n'est pas un nombre, lu 0\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("comma.na3 : ligne 9 : distance \"25;140\" n'est pas un nombre, lu 0\n"), std::string::npos)
        << r.err;
    EXPECT_NE(Slurp(dir_ / "comma.obs").find("4     RN12      B45     -0.59775"), std::string::npos);
}
