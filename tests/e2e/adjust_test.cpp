// The console command adjust run as a surveyor runs it: an observation
// file, a field book and a levelling book adjusted by gama-local into one
// set of four files; and what happens when it cannot be (no coordinate
// file, gama-local absent, a network gama-local will not adjust): a French
// message, the exit status, nothing written and earlier files untouched;
// a run stopped by a signal while gama-local works leaves no gama-local
// behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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

// A fresh ini writes no heights into the exported files; the adjustment
// uses them all the same, from a field book and from an observation file
// that holds them: the example's points come back within 1.1 mm of the
// known ones (without the heights, 2001 came 203 mm low).
TEST_F(AdjustCommandTest, HeightsUsedWhateverTheExportSetting) {
    if (GamaLocal().empty()) GTEST_SKIP() << "gama-local absent (GAMA_LOCAL) : test d'ajustement non exécuté";
    std::string ini = Slurp(dir_ / "ini" / "Kestrova.ini");
    const std::string key = "export_hauteurs_brelix=Y";
    ASSERT_NE(ini.find(key), std::string::npos);
    ini.replace(ini.find(key), key.size(), "export_hauteurs_brelix=N");
    std::ofstream(dir_ / "ini" / "Kestrova.ini", std::ios::binary) << ini;
    const std::pair<fs::path, fs::path> inputs[] = {{kExamples / "chantier.crt", kExamples / "chantier.cor"},
                                                    {kData / "adjust" / "chantier.obs", kData / "adjust" / "chantier.cor"}};
    for (const auto& [in, cor] : inputs) {
        const auto r = Adjust(in, cor, GamaLocal());
        ASSERT_EQ(r.status, 0) << in << "\n" << r.err;
        const std::string tag = "plus grand écart : ";
        const std::size_t at = r.out.find(tag);
        ASSERT_NE(at, std::string::npos) << r.out;
        EXPECT_LT(std::stod(r.out.substr(at + tag.size())), 1.1) << in << "\n" << r.out;
        EXPECT_EQ(r.out.find("Fautes probables : 2"), std::string::npos) << in << "\n" << r.out;
    }
    // The setting itself is left as the user chose it.
    EXPECT_EQ(Slurp(dir_ / "ini" / "Kestrova.ini"), ini);
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
    // The place that was set and is wrong is named.
    EXPECT_NE(r.err.find("La variable d'environnement GAMA_LOCAL donne « " + (dir_ / "nulle-part" / "gama-local").string() +
                         " », qui n'est pas un programme exécutable."),
              std::string::npos)
        << r.err;
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

// SIGTERM, SIGINT or SIGHUP while gama-local runs: the run kills and reaps
// it, removes its work folder and exits with 128 + the signal, nothing
// written.
TEST_F(AdjustCommandTest, SignalEndsGamaLocalWithTheRun) {
    // A gama-local that never ends, telling its process number.
    const fs::path fake = dir_ / "gama" / "gama-local";
    fs::create_directories(fake.parent_path());
    std::ofstream(fake) << "#!/bin/sh\nif [ \"$1\" = --version ]; then echo 'gama-local (GNU Gama) 2.24'; exit 0; fi\n"
                           "echo $$ > " << ShellQuote((dir_ / "gama.pid").string()) << "\nexec sleep 600\n";
    fs::permissions(fake, fs::perms::owner_all);
    const fs::path work = dir_ / "tmp";  // where the run makes its work folder
    const std::string obs = (kData / "adjust" / "chantier.obs").string();
    const std::string cor = (kData / "adjust" / "chantier.cor").string();
    const std::string out = (dir_ / "res").string();
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signo);
        fs::remove_all(work);
        fs::create_directories(work);
        fs::remove(dir_ / "gama.pid");
        const pid_t run = ::fork();
        ASSERT_GE(run, 0);
        if (run == 0) {
            // As from a terminal: the three signals with their default action.
            for (int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
            ::setenv("Kestrova", (dir_ / "ini").c_str(), 1);
            ::setenv("GAMA_LOCAL", fake.c_str(), 1);
            ::setenv("TMPDIR", work.c_str(), 1);
            const int err = ::open((dir_ / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(err, STDERR_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::execl(KESTROVA_BIN, KESTROVA_BIN, "-x", "adjust", "-i", obs.c_str(), "-c", cor.c_str(), "-o",
                    out.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // gama-local started on the network (its number written whole).
        std::string text;
        for (int i = 0; i < 1000 && (text.empty() || text.back() != '\n'); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            text = Slurp(dir_ / "gama.pid");
        }
        const pid_t gama = static_cast<pid_t>(std::atoi(text.c_str()));
        if (gama <= 0) ::kill(run, SIGKILL);
        ASSERT_GT(gama, 0) << "gama-local never started: " << Slurp(dir_ / "err.txt");
        ASSERT_EQ(::kill(run, signo), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(run, &status, 0), run);
        const bool gone = ::kill(gama, 0) != 0 && errno == ESRCH;
        if (!gone) ::kill(gama, SIGKILL);  // not left to run ten minutes
        EXPECT_TRUE(gone) << "gama-local " << gama << " outlived the run";
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signo);
        EXPECT_NE(Slurp(dir_ / "err.txt").find("Interrompu : "), std::string::npos) << Slurp(dir_ / "err.txt");
        EXPECT_TRUE(fs::is_empty(work)) << fs::directory_iterator(work)->path();
        for (const fs::path& p : Outputs()) EXPECT_FALSE(fs::exists(p)) << p;
    }
}
