// gama-local as a child process: found in the three places in order, its
// output and status read, and killed when the command is cancelled.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "adjust/child_process.hpp"
#include "adjust/gama_locate.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

fs::path Folder() {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "child";
    fs::create_directories(dir);
    return dir;
}

std::string Script(const std::string& name, const std::string& body) {
    const fs::path p = Folder() / name;
    std::ofstream(p) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(p, fs::perms::owner_all);
    return p.string();
}

}  // namespace

TEST(ChildProcess, FindsGamaLocalInOrderAndReadsItsVersion) {
    const std::string fake = Script("gama-local", "echo 'gama-local (GNU Gama) 9.87 / GNU C/C++ 12.2'; echo other >&2");
    const std::string dir = Folder().string();
    // The PATH, its empty entries and missing folders passed over.
    EXPECT_EQ(FindGamaLocal("", nullptr, ("/nonexistent::" + dir).c_str()), dir + "/gama-local");
    EXPECT_EQ(FindGamaLocal("", nullptr, "/nonexistent"), "");
    EXPECT_EQ(FindGamaLocal("", nullptr, nullptr), "");
    // GAMA_LOCAL before the PATH; a wrong one is not replaced by the PATH's.
    EXPECT_EQ(FindGamaLocal("", fake.c_str(), "/nonexistent"), fake);
    EXPECT_EQ(FindGamaLocal("", "/nonexistent/gama-local", dir.c_str()), "");
    // The ini key before both; a folder is not a program.
    EXPECT_EQ(FindGamaLocal(fake, "/nonexistent/gama-local", nullptr), fake);
    EXPECT_EQ(FindGamaLocal(dir, fake.c_str(), nullptr), "");
    EXPECT_EQ(GamaLocalVersion(fake), "9.87");

    const ChildResult r = RunChild({Script("status", "printf 'a\\nb'; echo 'pas bon' >&2; exit 3")});
    EXPECT_EQ(r.exitStatus, 3);
    EXPECT_EQ(r.output, "a\nb");
    EXPECT_EQ(r.errors, "pas bon\n");
    EXPECT_THROW(RunChild({"/nonexistent/gama-local"}), ChildStartError);
}

TEST(ChildProcess, CancelKillsTheChild) {
    const std::string pidFile = (Folder() / "pid").string();
    fs::remove(pidFile);
    const std::string slow = Script("slow", "echo $$ > '" + pidFile + "'; exec sleep 600");
    TProgress progress;
    std::thread canceller([&] {
        // Once the child has said who it is.
        for (int i = 0; i < 2000 && !fs::exists(pidFile); ++i) ::usleep(10000);
        ::usleep(50000);
        progress.Cancel();
    });
    EXPECT_THROW(RunChild({slow}, progress), TCancelled);
    canceller.join();
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    // Killed and reaped: no such process any more.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}
