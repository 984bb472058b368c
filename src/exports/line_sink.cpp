#include "exports/line_sink.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/encoding.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

}  // namespace

TAtomicTextFile::TAtomicTextFile(const std::string& path, FileEncoding encoding)
    : path_(path), encoding_(encoding) {
    if (path.empty()) throw TextFileError(path, std::strerror(ENOENT));
    std::string dir = ExtractFileDir(path);
    if (dir.empty()) dir = ".";
    std::string name = dir + "/." + ExtractFileName(path) + ".XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) throw TextFileError(path, std::strerror(errno));
    tmp_ = name;
    buffer_.reserve(kFlushSize + 4096);
}

TAtomicTextFile::~TAtomicTextFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(tmp_.c_str());
    }
}

void TAtomicTextFile::Fail(int err) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(tmp_.c_str());
    throw TextFileError(path_, std::strerror(err));
}

void TAtomicTextFile::Add(std::string_view line) {
    if (fd_ < 0) throw TextFileError(path_, std::strerror(EBADF));
    if (IsAscii(line))
        buffer_.append(line);
    else
        buffer_ += encoding_ == FileEncoding::Latin1Xml ? Utf8ToLatin1Xml(line) : Utf8ToCp1252(line);
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushSize) Flush();
}

void TAtomicTextFile::Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void TAtomicTextFile::Commit() {
    if (fd_ < 0) throw TextFileError(path_, std::strerror(EBADF));
    Flush();
    // Keep the permissions of the file replaced, else 0666 & ~umask.
    struct stat st{};
    mode_t mode;
    if (::stat(path_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp_.c_str());
        throw TextFileError(path_, std::strerror(err));
    }
    if (::rename(tmp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp_.c_str());
        throw TextFileError(path_, std::strerror(err));
    }
}

}  // namespace kestrova
