// Every file a command writes: each staged as a temporary file beside its
// target, all renamed into place together by Commit() once every one is
// complete. A set destroyed without Commit() (an error, a cancel) removes
// its temporaries and leaves every earlier file as it was; so does a
// console run stopped by SIGINT, SIGTERM or SIGHUP (see temp_registry.hpp).
//
// Commit() holds an advisory lock (flock) on a lock file beside the
// outputs, ".NAME.lock" where NAME is the output name without extension,
// so that two runs writing to the same name land one whole set after the
// other: a second run waits at its commit until the first has renamed all
// its files. The lock file is removed when the commit ends. When one
// rename fails, the files already renamed get their previous content back.
// A command that rewrites a file it reads (renaming in a book) takes the
// lock before reading (LockNow), so that no other run changes the file
// between its read and its commit.
//
// Once the renames have begun the set lands whole: a signal that arrives
// from then on no longer stops the run (see temp_registry.hpp).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "base/text_file.hpp"

namespace kestrova {

struct TTemporaryEntry;
class TNameLock;

class TOutputSet {
public:
    TOutputSet();
    ~TOutputSet();
    TOutputSet(const TOutputSet&) = delete;
    TOutputSet& operator=(const TOutputSet&) = delete;

    // Stages `path`; the sink lives as long as the set. Throws
    // TextFileError when the temporary cannot be created. With `cancel`,
    // a writer of the sink is stopped (TCancelled) at its next block once
    // that progress is cancelled.
    TLineSink& Add(const std::string& path, FileEncoding encoding = FileEncoding::Cp1252,
                   const TProgress* cancel = nullptr);

    // Stages `path` for bytes written as they are (no encoding, no line
    // ends added): a copy of a file, or a file rewritten in its own
    // encoding. The file lives as long as the set.
    TAtomicFile& AddBytes(const std::string& path);

    // Optional: the sink given by Add() is complete; its file is closed and
    // its buffer released (a set of thousands of files stays small). It
    // must not be written to again.
    void Finish(TLineSink& sink);

    // Optional: a folder the staged files go into, made now when missing
    // and removed again (when empty) unless the set is committed. Throws
    // TextFileError naming the folder.
    void AddDirectory(const std::string& dir);

    // Optional: a file of an earlier run that this set no longer holds
    // (a station's file of a set that is a folder), removed by the commit
    // once every file of the set is in place; and a folder removed then
    // when it is left empty.
    void RemoveAtCommit(const std::string& path) { removals_.push_back(path); }
    void RemoveDirectoryAtCommit(const std::string& dir) { dirRemovals_.push_back(dir); }

    // Optional: the output name the lock is taken on (its extension is
    // dropped); by default the first file added.
    void LockOn(const std::string& outputName) { lockName_ = outputName; }

    // Optional: takes the lock now (on the LockOn name, else on the first
    // file added) and holds it until the commit has ended or the set is
    // destroyed.
    void LockNow();

    // Closes every staged file, then renames them all into place in the
    // order they were added. Throws TextFileError naming the file that
    // failed; every temporary is removed and the files renamed before it
    // get their earlier content back.
    void Commit();

    // The targets, in the order they were added.
    std::vector<std::string> Paths() const;
    bool Empty() const { return files_.empty(); }

    // The lock file of an output name: "DIR/.NAME.lock".
    static std::string LockFileName(const std::string& outputName);

private:
    void Publish();

    struct TStaged {
        std::unique_ptr<TAtomicTextFile> text;  // one of the two
        std::unique_ptr<TAtomicFile> bytes;
    };
    std::vector<TStaged> files_;
    std::unique_ptr<TNameLock> lock_;
    std::vector<std::pair<std::string, TTemporaryEntry*>> madeDirs_;  // removed unless committed
    std::string lockName_;
    std::vector<std::string> removals_, dirRemovals_;
};

}  // namespace kestrova
