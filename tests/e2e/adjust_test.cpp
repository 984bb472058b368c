// The console command adjust run as a surveyor runs it: an observation
// file, a field book and a levelling book adjusted by gama-local into one
// set of four files; and what happens when it cannot be (no coordinate
// file, gama-local absent, a network gama-local will not adjust): a French
// message, the exit status, nothing written and earlier files untouched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA);
const fs::path kExamples = fs::path(KESTROVA_TEST_DATA) / ".." / ".." / "examples";

std::string GamaLocal() {
    const char* env = std::getenv("GAMA_LOCAL");
    if (env && *env && fs::exists(env)) return env;
    return {};
}

class AdjustCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "adjust" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        fs::copy_file(kExamples / "Kestrova.ini", dir_ / "ini" / "Kestrova.ini");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Adjust(const fs::path& in, const fs::path& cor, const std::string& gama) {
        return RunKestrova("-x adjust -i " + ShellQuote(in.string()) + " -c " + ShellQuote(cor.string()) + " -o " +
                               ShellQuote((dir_ / "res").string()),
                           env_ + " GAMA_LOCAL=" + ShellQuote(gama));
    }
    std::vector<fs::path> Outputs() const {
        return {dir_ / "res.gkf", dir_ / "res_gama.xml", dir_ / "res_gama.txt", dir_ / "res_ajustement.html"};
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(AdjustCommandTest, ObservationsBookAndLevellingBookAdjusted) {
    if (GamaLocal().empty()) GTEST_SKIP() << "gama-local absent (GAMA_LOCAL) : test d'ajustement non exécuté";
    struct Case {
        fs::path in, cor;
        const char* kind;     // as the report names the input
        const char* drawing;  // its drawing's heading
    };
    const Case cases[] = {
        {kData / "adjust" / "chantier.obs", kData / "adjust" / "chantier.cor", "fichier d'observations", "Plan du r"},
        {kExamples / "chantier.crt", kExamples / "chantier.cor", "carnet de terrain", "Plan du r"},
        {kData / "levelling" / "bffb16.na3", kData / "adjust" / "bffb16.cor", "carnet de nivellement",
         "Profil du nivellement"},
    };
    for (const Case& c : cases) {
        for (const fs::path& p : Outputs()) fs::remove(p);
        const auto r = Adjust(c.in, c.cor, GamaLocal());
        ASSERT_EQ(r.status, 0) << c.in << "\n" << r.err;
        for (const fs::path& p : Outputs()) ASSERT_TRUE(fs::exists(p)) << p;
        const std::string html = Slurp(dir_ / "res_ajustement.html");
        EXPECT_NE(html.find(c.kind), std::string::npos) << c.in;
        EXPECT_NE(html.find(c.drawing), std::string::npos) << c.in;
        EXPECT_NE(html.find("<svg"), std::string::npos) << c.in;
        EXPECT_NE(html.find("Fautes probables"), std::string::npos) << c.in;
        EXPECT_NE(html.find("</html>\r\n"), std::string::npos) << c.in;
        // Plain ASCII, the accents as references.
        EXPECT_EQ(std::count_if(html.begin(), html.end(), [](char ch) { return (ch & 0x80) != 0; }), 0) << c.in;
        // gama-local's outputs kept, the XML saying its encoding.
        EXPECT_EQ(Slurp(dir_ / "res_gama.xml").rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n", 0), 0u);
        EXPECT_NE(Slurp(dir_ / "res_gama.xml").find("<adjusted>"), std::string::npos);
        EXPECT_NE(Slurp(dir_ / "res.gkf").find("<gama-local"), std::string::npos);
    }
}

TEST_F(AdjustCommandTest, FailuresWriteNothing) {
    const fs::path obs = kData / "adjust" / "chantier.obs";
    const fs::path cor = kData / "adjust" / "chantier.cor";
    // An earlier result that a failed run must leave as it was.
    std::ofstream(dir_ / "res_gama.xml") << "avant";
    auto nothingWritten = [&] {
        EXPECT_EQ(Slurp(dir_ / "res_gama.xml"), "avant");
        EXPECT_FALSE(fs::exists(dir_ / "res.gkf"));
        EXPECT_FALSE(fs::exists(dir_ / "res_ajustement.html"));
        for (const auto& e : fs::directory_iterator(dir_))
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    };

    // No coordinate file: a bad command line.
    auto r = RunKestrova("-x adjust -i " + ShellQuote(obs.string()) + " -o " + ShellQuote((dir_ / "res").string()),
                         env_);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-c/--cor"), std::string::npos) << r.err;
    nothingWritten();

    // gama-local absent: what it is and where to get it.
    r = Adjust(obs, cor, (dir_ / "nulle-part" / "gama-local").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("gama-local, le programme d'ajustement de GNU Gama, est introuvable"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("GAMA_LOCAL"), std::string::npos) << r.err;
    nothingWritten();

    if (GamaLocal().empty()) GTEST_SKIP() << "gama-local absent (GAMA_LOCAL) : refus de gama-local non testé";
    // No fixed point: gama-local's own reason.
    std::ofstream(dir_ / "libre.cor") << "0 1001\r\n0 1002\r\n0 1003\r\n0 1004\r\n0 1005\r\n0 2001\r\n0 2002\r\n";
    r = Adjust(obs, dir_ / "libre.cor", GamaLocal());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("gama-local n'a pas ajusté le réseau de "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("GNU Gama - "), std::string::npos) << r.err;  // its own reason
    EXPECT_NE(r.err.find("rien n'est écrit"), std::string::npos) << r.err;
    nothingWritten();
}
