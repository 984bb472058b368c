// The temporary files and folders a run has made and not yet renamed into
// place or removed. A console run interrupted by SIGINT, SIGTERM or SIGHUP
// removes them from its signal handler, so nothing of the unfinished run is
// left behind; the list is therefore read without locks or allocation.
#pragma once
#include <string>

namespace kestrova {

struct TTemporaryEntry;

// Records a temporary file (or a folder made for the run, removed only when
// empty). Returns the handle to give back to ForgetTemporary().
TTemporaryEntry* RememberTemporary(const std::string& path, bool directory = false);

// The temporary was renamed into place or removed; `entry` may be null.
void ForgetTemporary(TTemporaryEntry* entry);

// Removes every recorded temporary: files first, then the folders that are
// empty. Async-signal-safe.
void RemoveTemporaries();

// Console runs: on SIGINT, SIGTERM or SIGHUP kill the running children
// (process_end.hpp), remove the temporaries, say so on stderr and exit with
// 128 + the signal number (130, 143, 129) - until the run has begun to put
// its files in place. From then on the files land whole, so the run goes on
// to its normal end (its result printed, its lock removed, exit status 0);
// the signal is only noted.
void RemoveTemporariesOnSignals();

// Said by an output set when its renames begin (the signals are blocked
// then): the run's files are being replaced.
void MarkCommitBegun();
// The signal that came once the renames had begun, or 0.
int SignalAfterCommit();

// Blocks those three signals in the calling thread while it lives, so a set
// of renames is not cut in the middle; a signal that came meanwhile is
// handled when the block ends.
class TSignalBlock {
public:
    TSignalBlock();
    ~TSignalBlock();
    TSignalBlock(const TSignalBlock&) = delete;
    TSignalBlock& operator=(const TSignalBlock&) = delete;

private:
    alignas(8) unsigned char saved_[128];  // the previous mask (a sigset_t)
};

}  // namespace kestrova
