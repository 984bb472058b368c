#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "console" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(ConsoleTest, HelpAndVersionExitZero) {
    auto r = RunKestrova("--help", env_, dir_);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("-x, --exe=COMMANDE"), std::string::npos);
    r = RunKestrova("--version", env_, dir_);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Kestrova v1.1.2 - 2018-01-12\n");
}

TEST_F(ConsoleTest, FirstRunCreatesTheIniAndSaysSoOnStderr) {
    const auto r = RunKestrova("-x nothing -i a -o b", env_, dir_);
    EXPECT_NE(r.err.find("Création du fichier " + (dir_ / "ini" / "Kestrova.ini").string()), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "ini" / "Kestrova.ini"));
    const auto again = RunKestrova("-x nothing -i a -o b", env_, dir_);
    EXPECT_EQ(again.err.find("Création du fichier"), std::string::npos);
}

TEST_F(ConsoleTest, ParseErrorEchoesTheParametersThenFailsWithoutRunning) {
    const auto r = RunKestrova("-x crt2obs -i a.crt", env_, dir_);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "Param x : crt2obs\nParam i : a.crt\nParam o : \nParam l : \n");
    EXPECT_NE(r.err.find(": a required option (-o) is missing."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / ".obs"));
    EXPECT_FALSE(fs::exists(dir_ / ".chk"));
}

TEST_F(ConsoleTest, UnknownOptionStopsEverything) {
    const auto r = RunKestrova("-q -x crt2obs -i a.crt -o res", env_, dir_);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Param x : \n"), std::string::npos);
    EXPECT_NE(r.err.find("Unknown option -q."), std::string::npos);
}

TEST_F(ConsoleTest, UnknownCommandListsTheCommands) {
    const auto r = RunKestrova("-x CRT2OBS -i a.crt -o res", env_, dir_);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Param x : CRT2OBS\n"), std::string::npos);
    EXPECT_NE(r.err.find("Commande inconnue : \"CRT2OBS\""), std::string::npos);
    EXPECT_NE(r.err.find("Commandes disponibles"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "res.obs"));
}

TEST_F(ConsoleTest, LogValueIsEchoed) {
    const auto r = RunKestrova("--exe=none --in=a --out=b --log=journal.txt", env_, dir_);
    EXPECT_EQ(r.out, "Param x : none\nParam i : a\nParam o : b\nParam l : journal.txt\n");
}

// The window is a module loaded beside the program; the console needs none.
TEST_F(ConsoleTest, WindowWithoutItsModuleIsReportedConsoleRunsWithout) {
    const fs::path alone = dir_ / "seul" / "kestrova";
    fs::create_directories(alone.parent_path());
    fs::copy_file(KESTROVA_BIN, alone);
    const std::string run = "cd " + ShellQuote(dir_.string()) + " && env " + env_ + " DISPLAY=:0 " + ShellQuote(alone.string());
    EXPECT_EQ(WEXITSTATUS(std::system((run + " 2>err.txt").c_str())), 1);
    EXPECT_NE(Slurp(dir_ / "err.txt").find("module kestrova-window.so introuvable"), std::string::npos)
        << Slurp(dir_ / "err.txt");
    EXPECT_EQ(WEXITSTATUS(std::system((run + " --version >out.txt").c_str())), 0);
    EXPECT_NE(Slurp(dir_ / "out.txt").find("Kestrova"), std::string::npos);
}

TEST_F(ConsoleTest, NoDisplayIsReportedInsteadOfAborting) {
    // A file name typed in a remote session asks for the window.
    std::ofstream(dir_ / "carnet.crt") << " station S1\r\n";
    const std::string env = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env_;
    for (const char* args : {"carnet.crt", ""}) {
        SCOPED_TRACE(args);
        const auto r = RunKestrova(args, env, dir_);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Aucun affichage graphique"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("kestrova -x crt2obs"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Slurp(dir_ / "carnet.crt"), " station S1\r\n");
}
