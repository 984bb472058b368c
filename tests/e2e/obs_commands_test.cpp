// The console commands around the reduction, run as a surveyor scripts
// them: renorm, obs2iob, obs2gkf on the observation files of
// tests/data/obsconv, and reduce on the books of tests/data/crt2obs. Every
// file written is compared whole with tests/data/obsconv/golden, the date
// lines and the output folder masked ("@DATE@", "@OUT@").
// Set KESTROVA_UPDATE_GOLDEN=1 to rewrite the golden files from a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "e2e/gama_check.hpp"
#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "obsconv";
const char* const kRenormIni =
    "[parametres_renormalisation]\r\nrenormalisation=Y\r\nAH_add=0.0003\r\nAH_mult=1.0000\r\n"
    "AV_add=0.0000\r\nAV_mult=1.5000\r\nDp_add=0.0010\r\nDp_mult=2.0000\r\nDn_add=0.0000\r\nDn_mult=1.0000\r\n";

class ObsCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "obsconv" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        fs::create_directories(dir_ / "out");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    void SetIni(const std::string& text) { std::ofstream(dir_ / "ini" / "Kestrova.ini") << text; }
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& extra = "") {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " +
                               ShellQuote((dir_ / "out" / "res").string()) + " " + extra,
                           env_, dir_);
    }
    std::string Masked(const std::string& bytes) const {
        std::string s = bytes;
        const std::string out = (dir_ / "out").string();
        for (std::size_t p; (p = s.find(out)) != std::string::npos;) s.replace(p, out.size(), "@OUT@");
        static const std::regex date("\\d\\d[/-]\\d\\d[/-]\\d{4}( \xE0)? \\d\\d:\\d\\d:\\d\\d");
        return std::regex_replace(s, date, "@DATE@");
    }
    // Every file under out/ against golden/<name>/, and no other.
    void ExpectGolden(const std::string& name) {
        const fs::path golden = kData / "golden" / name;
        std::vector<std::string> written;
        for (const auto& e : fs::recursive_directory_iterator(dir_ / "out"))
            if (e.is_regular_file()) written.push_back(fs::relative(e.path(), dir_ / "out").string());
        std::sort(written.begin(), written.end());
        if (std::getenv("KESTROVA_UPDATE_GOLDEN")) {
            fs::remove_all(golden);
            for (const std::string& f : written) {
                fs::create_directories((golden / f).parent_path());
                std::ofstream(golden / f, std::ios::binary) << Masked(Slurp(dir_ / "out" / f));
            }
            return;
        }
        std::vector<std::string> expected;
        for (const auto& e : fs::recursive_directory_iterator(golden))
            if (e.is_regular_file()) expected.push_back(fs::relative(e.path(), golden).string());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(written, expected);
        for (const std::string& f : written) {
            SCOPED_TRACE(name + "/" + f);
            const std::string got = Masked(Slurp(dir_ / "out" / f));
            const std::string want = Slurp(golden / f);
            if (got == want) continue;
            std::istringstream g(got), w(want);
            std::string gl, wl;
            for (int line = 1; std::getline(w, wl); ++line) {
                if (!std::getline(g, gl)) gl = "<fin du fichier>";
                ASSERT_EQ(gl, wl) << "line " << line;
            }
            FAIL() << "longer than the golden file";
        }
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(ObsCommandsTest, RenormKeepsTheSignAndRegroups) {
    SetIni(kRenormIni);
    const auto r = Run("renorm", kData / "reseau.obs");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("renorm");
}

TEST_F(ObsCommandsTest, Obs2IobWithTheRenormalisedFile) {
    SetIni(kRenormIni);
    const auto r = Run("obs2iob", kData / "reseau.obs");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("obs2iob");
}

TEST_F(ObsCommandsTest, Obs2IobAloneWithNeutralPairs) {
    const auto r = Run("obs2iob", kData / "niv.obs");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("obs2iob_niv");
}

TEST_F(ObsCommandsTest, Obs2GkfWithTheCoordinates) {
    auto r = Run("obs2gkf", kData / "reseau.obs", "--cor " + ShellQuote((kData / "reseau.cor").string()));
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunKestrova("-x obs2gkf -i " + ShellQuote((kData / "niv.obs").string()) + " -c " +
                        ShellQuote((kData / "niv.cor").string()) + " -o " + ShellQuote((dir_ / "out" / "niv").string()),
                    env_, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("obs2gkf");
}

TEST_F(ObsCommandsTest, ReduceWritesTheSevenOutputsAndOneObsPerCycle) {
    auto r = Run("reduce", fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "cycles_book.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("reduce_cycles");
    fs::remove_all(dir_ / "out");
    fs::create_directories(dir_ / "out");
    r = Run("reduce", fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "text_book.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("reduce_text");
}

// The reduction's .gkf carries the ini's standard deviations: gama-local
// takes those of a new ini; one it would refuse (zero, or too small to be
// a variance) stops the whole set, the ini key named, earlier files kept.
TEST_F(ObsCommandsTest, ReduceWritesNoGkfGamaLocalRefuses) {
    const fs::path book = fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "text_book.crt";
    auto r = Run("reduce", book);
    ASSERT_EQ(r.status, 0) << r.err;
    e2e::ExpectGamaTakes(dir_ / "out" / "res.gkf");

    struct Case {
        const char* ini;
        const char* key;
        const char* fault;
    };
    const Case cases[] = {
        {"sigma_Hz=0", "sigma_Hz", "les directions du fichier GNU Gama "},
        {"sigma_V=0.00000", "sigma_V", "les angles zénithaux du fichier GNU Gama "},
        {"sigma_Dp=0.0000000001", "sigma_Dp", "les distances inclinées du fichier GNU Gama "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        fs::remove_all(dir_ / "out");
        fs::create_directories(dir_ / "out");
        std::ofstream(dir_ / "out" / "res.chk") << "avant";
        SetIni(std::string("[ecarttype]\r\n") + c.ini + "\r\n");
        r = Run("reduce", book);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("la clé " + std::string(c.key) + " du fichier " + (dir_ / "ini" / "Kestrova.ini").string()),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.fault + (dir_ / "out" / "res.gkf").string() + " auraient un écart-type "),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("rien n'est écrit"), std::string::npos) << r.err;
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(dir_ / "out")) left.push_back(e.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"res.chk"});
        EXPECT_EQ(Slurp(dir_ / "out" / "res.chk"), "avant");
    }
    // The smallest a key may hold is written as such, and taken.
    SetIni("[ecarttype]\r\nsigma_Hz=0.0000000001\r\nsigma_Dp=0.000000001\r\n");
    fs::remove_all(dir_ / "out");
    fs::create_directories(dir_ / "out");
    r = Run("reduce", book);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string gkf = Slurp(dir_ / "out" / "res.gkf");
    EXPECT_NE(gkf.find(R"(<direction   to="1002"     val=  "0.0000" stdev="0.000001" />)"), std::string::npos) << gkf;
    EXPECT_NE(gkf.find(R"(val="187.4509" stdev="0.000001" />)"), std::string::npos) << gkf;
    e2e::ExpectGamaTakes(dir_ / "out" / "res.gkf");
}

TEST_F(ObsCommandsTest, RefusalsWriteNothing) {
    SetIni(kRenormIni);
    fs::copy_file(kData / "reseau.obs", dir_ / "out" / "res.iob");  // an older output stays as it was
    const std::string before = Slurp(dir_ / "out" / "res.iob");
    auto r = Run("obs2iob", kData / "bad_sigma.obs");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dans le fichier " + (kData / "bad_sigma.obs").string() +
                         ", ligne 3 : écart type « 8e-4x » non numérique ; rien n'est écrit"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp(dir_ / "out" / "res.iob"), before);
    EXPECT_FALSE(fs::exists(dir_ / "out" / "res_2.obs"));

    r = Run("obs2gkf", kData / "reseau.obs");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-c/--cor"), std::string::npos);
    r = Run("obs2gkf", kData / "reseau.obs", "-c " + ShellQuote((kData / "notes.txt").string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("notes.txt : Format non reconnu !"), std::string::npos) << r.err;
    r = Run("renorm", kData / "notes.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("notes.txt : Format non reconnu !"), std::string::npos) << r.err;
    r = RunKestrova("-x renorm -i " + ShellQuote((dir_ / "out" / "res.iob").string()) + " -o " +
                        ShellQuote((dir_ / "out" / "res.obs").string()),
                    env_, dir_);
    EXPECT_EQ(r.status, 0) << r.err;
    r = RunKestrova("-x renorm -i " + ShellQuote((dir_ / "out" / "res.obs").string()) + " -o " +
                        ShellQuote((dir_ / "out" / "res").string()),
                    env_, dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("est un fichier lu : rien n'est écrit"), std::string::npos) << r.err;
    SetIni("[parametres_renormalisation]\r\nrenormalisation=N\r\n");
    r = Run("renorm", kData / "reseau.obs");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("renormalisation=N"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "out" / "res.iob"), before);
}

// Names of 13, 14, 16 and 20 characters (cut to 16) in every record kind:
// the Geolab lines keep each name whole, the next field one blank after a
// name of 14 characters or more, centring points (PL) included.
TEST_F(ObsCommandsTest, Obs2IobLaysOutLongNamesInEveryRecord) {
    const auto r = Run("obs2iob", kData / "long_names.obs");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("obs2iob_long_names");
    const std::string iob = Slurp(dir_ / "out" / "res.iob");
    EXPECT_NE(iob.find(" PL       C234567890123456 n  0  0  0.000000 e  0  0  0.000000"), std::string::npos);
    EXPECT_NE(iob.find(" PL       A234567890123n  0  0  0.000000 e  0  0  0.000000"), std::string::npos);
}

// The three commands on files of height differences refuse what is not
// one (nothing written, an earlier output kept, a French message saying
// what was expected), stop on a number they cannot read (line and field
// named), and count the foreign lines when they are the most.
TEST_F(ObsCommandsTest, HeightDifferenceCommandsRefuseWhatIsNotTheirInput) {
    const fs::path in = dir_ / "in";
    fs::create_directories(in);
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(in / name, std::ios::binary) << bytes;
        return in / name;
    };
    std::string random(1 << 20, '\0');
    unsigned state = 12345;
    for (char& c : random) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("4 A B 1.25000 0.00010\r\n4 B C -0.50000 0.00010\r\n")) utf16 += std::string(1, c) + '\0';
    std::string longLine(50u << 20, 'x');
    const std::vector<std::pair<fs::path, std::string>> refused = {
        {write("empty.obs", ""), "Aucune dénivelée"},
        {write("random.obs", random), "Aucune dénivelée"},
        {write("utf16.obs", utf16), "Aucune dénivelée"},
        {write("notes.obs", "* seulement des commentaires\r\n* et rien d'autre\r\n"), "Aucune dénivelée"},
        {write("long.obs", longLine), "Impossible de lire le fichier"},
        {write("comma.obs", "4 A B 1.25000 0.00010\r\n4 B C 1,25000 0.00010\r\n"),
         "ligne 2 : dénivelée « 1,25000 » non numérique (utilisez le point décimal) ; rien n'est écrit"},
        {write("sigma.obs", " OHDF     A            B                  1.25000   abc\r\n"),
         "ligne 1 : écart type « abc » non numérique ; rien n'est écrit"},
    };
    longLine.clear();
    for (const char* command : {"obs2tri", "iob2tri", "iob2obs"}) {
        std::ofstream(dir_ / "out" / "res", std::ios::binary) << "ancien\r\n";
        for (const auto& [file, message] : refused) {
            SCOPED_TRACE(std::string(command) + " " + file.filename().string());
            const auto r = Run(command, file);
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(message), std::string::npos) << r.err.substr(0, 300);
            EXPECT_EQ(Slurp(dir_ / "out" / "res"), "ancien\r\n");
        }
        // Mostly foreign lines: converted, and the count in a warning.
        const auto r = Run(command, write("mixed.obs", "7 S1 T1 0.0000 0.0008\r\n5 S1 T2 1.0 0.0008\r\n"
                                                       "4 A B 1.25000 0.00010\r\n6 S1 T1 100.0 0.0012\r\n"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("3 lignes sur 4 ne sont ni des dénivelées (4 ou OHDF) ni des commentaires"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(Slurp(dir_ / "out" / "res").find("1.25000"), std::string::npos);
    }
}

// An XML book whose target is "P 2001": the .obs and .iob of the
// reduction hold "P_2001" (a warning names it), and obs2gkf reads the
// .obs back with the target whole, not "P" with the value 2001.
TEST_F(ObsCommandsTest, NameWithABlankFromAnXmlBookStaysWhole) {
    std::string book = Slurp(fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "cycles_book.xcrt");
    for (std::size_t p; (p = book.find("\"M01\"")) != std::string::npos;) book.replace(p, 5, "\"P 2001\"");
    std::ofstream(dir_ / "blanc.xcrt", std::ios::binary) << book;
    auto r = Run("crt2obs", dir_ / "blanc.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("le nom de cible « P 2001 » contient un blanc, il devient « P_2001 »"), std::string::npos)
        << r.err;
    const std::string obs = Slurp(dir_ / "out" / "res.obs");
    EXPECT_EQ(obs.find("P 2001"), std::string::npos);
    EXPECT_NE(obs.find("5 PIL1             P_2001           "), std::string::npos);
    EXPECT_EQ(Slurp(dir_ / "out" / "res.iob").find("P 2001"), std::string::npos);
    std::ofstream(dir_ / "pts.cor", std::ios::binary) << "1 PIL1 1000.000 2000.000 100.000 0 0\r\n0 REF1\r\n0 P_2001\r\n0 M02\r\n";
    r = RunKestrova("-x obs2gkf -i " + ShellQuote((dir_ / "out" / "res.obs").string()) + " -c " +
                        ShellQuote((dir_ / "pts.cor").string()) + " -o " + ShellQuote((dir_ / "out" / "g").string()),
                    env_, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string gkf = Slurp(dir_ / "out" / "g.gkf");
    EXPECT_NE(gkf.find("<direction   to=\"P_2001\"         val="), std::string::npos) << gkf.substr(0, 2000);
    EXPECT_NE(gkf.find("fix=\"xyz\""), std::string::npos);
    EXPECT_EQ(gkf.find("<cov-mat"), std::string::npos);  // the only constrained point is fixed
}
