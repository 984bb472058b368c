// A file replaced atomically: bytes go to a temporary file in the target
// folder, renamed over the target only by Commit(). Destroyed without a
// Commit(), it removes the temporary and leaves the target untouched.
// A symbolic link is followed (the file it names is replaced); a device or
// a pipe is written in place.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova {

struct TTemporaryEntry;

class TAtomicFile {
public:
    // Creates the temporary file; throws TextFileError, also when the target
    // exists and the user may not write it.
    explicit TAtomicFile(const std::string& path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Throws TextFileError (with the target's path) on a write error.
    void Write(std::string_view bytes);
    // Gives the temporary the permissions of the file it replaces (else
    // 0666 & ~umask) and renames it over the target; throws TextFileError.
    void Commit();
    // The two halves of Commit(), for a set of files that are all closed
    // before any is renamed (TOutputSet): Close() ends the writing (the
    // temporary stays), Publish() renames it over the target.
    void Close();
    void Publish();
    // The temporary file ("" when writing in place or after Publish()).
    const std::string& temporary() const { return tmp_; }

    const std::string& path() const { return path_; }
    // The file the rename replaces (the path, or the file a link names).
    const std::string& target() const { return target_; }
    bool closed() const { return closed_; }

private:
    [[noreturn]] void Fail(int err);
    void DropTemporary(bool remove);  // forgets (and removes) the temporary
    void ReserveAhead(std::size_t upTo);

    std::string path_;    // as given, for messages
    std::string target_;  // the file replaced: path_, or the file a link names
    std::string tmp_;     // empty when writing in place
    int fd_ = -1;
    bool closed_ = false;
    std::size_t written_ = 0;   // bytes written so far
    std::size_t reserved_ = 0;  // disk room reserved from the start (temporary only)
    bool reserving_ = true;     // false once the file system refused

    TTemporaryEntry* entry_ = nullptr;  // the temporary in the signal cleanup list
};

}  // namespace kestrova
