#include "base/atomic_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/temp_registry.hpp"
#include "base/text_file.hpp"

namespace kestrova {

TAtomicFile::TAtomicFile(const std::string& path) : path_(path), target_(path) {
    if (path.empty()) throw TextFileError(path, std::strerror(ENOENT));
    // The rename would replace a file the user may not write (a result
    // protected read-only): refuse as writing in place would.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)
        throw TextFileError(path, std::strerror(errno));
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or a pipe (-o /dev/null) is written in place: a rename
        // would replace the device node itself. A folder fails here.
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) throw TextFileError(path, std::strerror(errno));
        return;
    }
    // A link is followed: the file it names is replaced, the link stays.
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    std::string dir = ExtractFileDir(target_);
    if (dir.empty()) dir = ".";
    std::string name = dir + "/." + ExtractFileName(target_) + ".XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) throw TextFileError(path, std::strerror(errno));
    tmp_ = name;
    entry_ = RememberTemporary(tmp_);
}

void TAtomicFile::DropTemporary(bool remove) {
    if (!tmp_.empty() && remove) ::unlink(tmp_.c_str());
    ForgetTemporary(entry_);
    entry_ = nullptr;
    tmp_.clear();
}

TAtomicFile::~TAtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    DropTemporary(true);
}

void TAtomicFile::Fail(int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    DropTemporary(true);
    throw TextFileError(path_, std::strerror(err));
}

// A large new file gets its disk blocks a few megabytes ahead of its
// writes: the file system then maps each page written to a block already
// there instead of reserving one per page (about a tenth of the system
// time of writing). What is left past the end is given back at Close().
// A file system without this (or short of room) is written as before.
void TAtomicFile::ReserveAhead(std::size_t upTo) {
    constexpr std::size_t kStart = std::size_t(1) << 20;  // small files: no call
    constexpr std::size_t kChunk = std::size_t(4) << 20;
    if (tmp_.empty() || !reserving_ || upTo < kStart || upTo <= reserved_) return;
    const std::size_t end = std::max(upTo, reserved_) + kChunk;
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(reserved_),
                    static_cast<off_t>(end - reserved_)) == 0)
        reserved_ = end;
    else
        reserving_ = false;
}

void TAtomicFile::Write(std::string_view bytes) {
    if (fd_ < 0) throw TextFileError(path_, std::strerror(EBADF));
    ReserveAhead(written_ + bytes.size());
    written_ += bytes.size();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        done += static_cast<size_t>(n);
    }
}

void TAtomicFile::Commit() {
    Close();
    Publish();
}

void TAtomicFile::Close() {
    if (fd_ < 0) throw TextFileError(path_, std::strerror(EBADF));
    if (!tmp_.empty()) {
        struct stat st{};
        mode_t mode;
        if (::stat(target_.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd_, mode);
        // The blocks reserved past the end go back to the file system. A
        // failure leaves them to the file, whose bytes are right anyway.
        if (reserved_ > written_) static_cast<void>(::ftruncate(fd_, static_cast<off_t>(written_)));
    }
    const int fd = fd_;
    fd_ = -1;
    closed_ = true;
    if (::close(fd) != 0) {
        const int err = errno;
        DropTemporary(true);
        throw TextFileError(path_, std::strerror(err));
    }
}

void TAtomicFile::Publish() {
    if (!closed_) throw TextFileError(path_, std::strerror(EBADF));
    if (tmp_.empty()) return;  // written in place
    if (::rename(tmp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        DropTemporary(true);
        throw TextFileError(path_, std::strerror(err));
    }
    DropTemporary(false);
}

}  // namespace kestrova
