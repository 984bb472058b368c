// The output set: every file of a command lands, or none does; a signal
// removes the temporaries; two runs on one name commit one after the other.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/atomic_file.hpp"
#include "base/output_set.hpp"
#include "base/progress.hpp"
#include "base/temp_registry.hpp"
#include "base/text_file.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

class OutputSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "output_set" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const { return ReadFileBytes(Path(name)); }
    // Names in the folder starting with "." (temporaries, backups, locks).
    std::vector<std::string> Hidden(const fs::path& dir) const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (e.path().filename().string()[0] == '.') names.push_back(e.path().string());
        return names;
    }
    fs::path dir_;
};

}  // namespace

TEST_F(OutputSetTest, FailedRenameGivesBackEveryEarlierFile) {
    Put("res.chk", "ancien chk\n");
    Put("res.obs", "ancien obs\n");
    {
        TOutputSet set;
        set.Add(Path("res.chk")).Add("nouveau chk");
        set.Add(Path("res.iob")).Add("nouveau iob");   // no earlier file
        set.Add(Path("res.obs")).Add("nouveau obs");
        set.Add(Path("res.xml")).Add("nouveau xml");
        // The report's name turns into a folder after it was staged: its
        // rename fails after three others have been done.
        fs::create_directory(dir_ / "res.xml");
        try {
            set.Commit();
            FAIL() << "no error";
        } catch (const TextFileError& e) {
            EXPECT_EQ(e.path(), Path("res.xml"));
        }
    }
    EXPECT_EQ(Get("res.chk"), "ancien chk\n");
    EXPECT_EQ(Get("res.obs"), "ancien obs\n");
    EXPECT_FALSE(fs::exists(dir_ / "res.iob"));
    EXPECT_TRUE(Hidden(dir_).empty()) << Hidden(dir_).front();

    // Committed, the whole set is new and nothing else is left.
    fs::remove(dir_ / "res.xml");
    TOutputSet set;
    set.Add(Path("res.chk")).Add("nouveau chk");
    set.Add(Path("res.obs")).Add("nouveau obs");
    set.Commit();
    EXPECT_EQ(Get("res.chk"), "nouveau chk\r\n");
    EXPECT_EQ(Get("res.obs"), "nouveau obs\r\n");
    EXPECT_TRUE(Hidden(dir_).empty());
}

TEST_F(OutputSetTest, StagedFolderGoesUnlessCommitted) {
    {
        TOutputSet set;
        set.AddDirectory(Path("serie"));
        TLineSink& sink = set.Add(Path("serie/serie_1.obs"));
        sink.Add("station 1");
        set.Finish(sink);  // closed: the temporary stays until the commit
        EXPECT_EQ(Hidden(dir_).size(), 1u);
        set.Add(Path("serie/serie_2.obs")).Add("station 2");
    }
    EXPECT_FALSE(fs::exists(dir_ / "serie"));

    Put("serie", "un fichier");
    TOutputSet set;
    try {
        set.AddDirectory(Path("serie"));
        FAIL() << "no error";
    } catch (const TextFileError& e) {
        EXPECT_EQ(e.path(), Path("serie"));
    }
}

TEST_F(OutputSetTest, SecondRunWaitsForTheFirstCommitAndTheLockGoes) {
    const std::string lockName = TOutputSet::LockFileName(Path("res.obs"));
    EXPECT_EQ(lockName, Path(".res.lock"));
    EXPECT_EQ(TOutputSet::LockFileName("/res"), "/.res.lock");

    // Another run holds the lock on "res": this one stages, then waits.
    const int held = ::open(lockName.c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::atomic<bool> committed{false};
    std::thread run([&] {
        TOutputSet set;
        set.LockOn(Path("res.obs"));
        set.Add(Path("res.chk")).Add("deuxième");
        set.Commit();
        committed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(committed);
    EXPECT_FALSE(fs::exists(dir_ / "res.chk"));
    // The first run ends by removing the lock file, then releasing it.
    ::unlink(lockName.c_str());
    ::close(held);
    run.join();
    EXPECT_TRUE(committed);
    EXPECT_EQ(Get("res.chk"), "deuxi\xE8me\r\n");
    EXPECT_TRUE(Hidden(dir_).empty()) << Hidden(dir_).front();
}

TEST_F(OutputSetTest, SignalRemovesTheTemporariesAndExitsWith128PlusTheSignal) {
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Put("res.chk", "ancien\n");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RemoveTemporariesOnSignals();
            ::close(STDERR_FILENO);
            TOutputSet set;
            set.AddDirectory(Path("serie"));
            set.Add(Path("serie/s1.obs")).Add("station");
            set.Add(Path("res.chk")).Add("nouveau");
            ::raise(signo);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signo);
        EXPECT_EQ(Get("res.chk"), "ancien\n");
        EXPECT_FALSE(fs::exists(dir_ / "serie"));
        EXPECT_TRUE(Hidden(dir_).empty()) << Hidden(dir_).front();
    }
}

// A writer into a set staged with a progress stops at its next block once
// the command is cancelled; the set then writes nothing.
TEST_F(OutputSetTest, CancelStopsTheWriterAndNothingIsWritten) {
    Put("res.chk", "ancien chk\n");
    TProgress progress;
    std::size_t lines = 0;
    {
        TOutputSet set;
        TLineSink& sink = set.Add(Path("res.chk"), FileEncoding::Cp1252, &progress);
        TLineSink& other = set.Add(Path("res.obs"));
        other.Add("une ligne");
        const std::string line(99, 'x');
        EXPECT_THROW(
            {
                for (; lines < 100000; ++lines) {
                    if (lines == 1000) progress.Cancel();
                    sink.Add(line);
                }
            },
            TCancelled);
    }
    EXPECT_GE(lines, 1000u);
    EXPECT_LT(lines, 1000u + 3000u);  // within a block of the cancel
    EXPECT_EQ(Get("res.chk"), "ancien chk\n");
    EXPECT_FALSE(fs::exists(dir_ / "res.obs"));
    EXPECT_TRUE(Hidden(dir_).empty());
}

// A file of several megabytes has disk room reserved ahead of its writes;
// the file that lands holds the bytes written, in order, and no room past
// its end (a replaced, larger file leaves none either).
TEST_F(OutputSetTest, LargeFileLandsWholeWithoutRoomPastItsEnd) {
    Put("grand.bin", std::string(30 << 20, 'z'));
    std::string expected;
    {
        TAtomicFile file(Path("grand.bin"));
        std::string piece;
        for (int i = 0; expected.size() < (9u << 20) + 12345; ++i) {
            piece.assign(static_cast<std::size_t>(1 + (i * 7919) % 300000), static_cast<char>('a' + i % 26));
            file.Write(piece);
            expected += piece;
        }
        file.Commit();
    }
    EXPECT_TRUE(Get("grand.bin") == expected);
    struct stat st{};
    ASSERT_EQ(::stat(Path("grand.bin").c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), expected.size());
    // Room for the bytes and a little bookkeeping, not the 4 MiB steps.
    EXPECT_LT(static_cast<std::size_t>(st.st_blocks) * 512, expected.size() + (1u << 20));
}
