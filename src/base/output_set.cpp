#include "base/output_set.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/temp_registry.hpp"

namespace kestrova {

// The advisory lock of one output name, held while it lives. The lock file
// is removed before the lock is released; a run that opened it meanwhile
// sees that the name now leads elsewhere and opens it again. When the lock
// file cannot be made (a folder the user may not write), the set goes on
// without a lock: making its temporaries would fail there too.
class TNameLock {
public:
    explicit TNameLock(const std::string& path) : path_(path) {
        for (;;) {
            fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd_ < 0) return;
            int rc;
            do rc = ::flock(fd_, LOCK_EX);
            while (rc != 0 && errno == EINTR);
            struct stat held{}, named{};
            if (rc == 0 && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                // A run stopped by a signal removes it with its temporaries.
                entry_ = RememberTemporary(path_);
                return;
            }
            ::close(fd_);
            fd_ = -1;
            if (rc != 0) return;  // flock not supported: no lock
        }
    }
    ~TNameLock() {
        if (fd_ < 0) return;
        ::unlink(path_.c_str());
        ForgetTemporary(entry_);
        ::close(fd_);
    }
    TNameLock(const TNameLock&) = delete;
    TNameLock& operator=(const TNameLock&) = delete;

private:
    std::string path_;
    int fd_ = -1;
    TTemporaryEntry* entry_ = nullptr;
};

namespace {

// What a rename replaced, to put it back when a later rename fails.
struct TReplaced {
    std::string target;
    std::string backup;  // a hard link to the earlier file; "" when there was none
    bool hadFile = false;
};

// A hard link to the file at `target`, named like a temporary beside it;
// "" when there is no regular file or the file system cannot link.
std::string LinkBackup(const std::string& target) {
    struct stat st{};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    std::string dir = ExtractFileDir(target);
    if (dir.empty()) dir = ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = dir + "/." + ExtractFileName(target) + ".old" + std::to_string(::getpid()) + "_" +
                           std::to_string(attempt);
        if (::link(target.c_str(), name.c_str()) == 0) return name;
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace

TOutputSet::TOutputSet() = default;

TOutputSet::~TOutputSet() {
    files_.clear();  // each staged file removes its temporary
    lock_.reset();
    for (auto it = madeDirs_.rbegin(); it != madeDirs_.rend(); ++it) {
        ::rmdir(it->first.c_str());
        ForgetTemporary(it->second);
    }
}

std::string TOutputSet::LockFileName(const std::string& outputName) {
    std::string dir = ExtractFileDir(outputName);
    const std::string name = ExtractFileName(ChangeFileExt(outputName, ""));
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "." + name + ".lock";
}

TLineSink& TOutputSet::Add(const std::string& path, FileEncoding encoding, const TProgress* cancel) {
    files_.push_back({std::make_unique<TAtomicTextFile>(path, encoding), nullptr});
    if (cancel) files_.back().text->StopOnCancel(*cancel);
    return *files_.back().text;
}

TAtomicFile& TOutputSet::AddBytes(const std::string& path) {
    files_.push_back({nullptr, std::make_unique<TAtomicFile>(path)});
    return *files_.back().bytes;
}

void TOutputSet::Finish(TLineSink& sink) {
    for (auto& f : files_)
        if (f.text.get() == &sink && !f.text->closed()) f.text->Close();
}

void TOutputSet::LockNow() {
    if (lock_) return;
    std::string name = lockName_;
    if (name.empty() && !files_.empty()) name = files_.front().text ? files_.front().text->path() : files_.front().bytes->path();
    lock_ = std::make_unique<TNameLock>(LockFileName(name));
}

void TOutputSet::AddDirectory(const std::string& dir) {
    struct stat st{};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return;
        throw TextFileError(dir, std::strerror(ENOTDIR));
    }
    if (::mkdir(dir.c_str(), 0777) != 0) {
        if (errno == EEXIST) return;
        throw TextFileError(dir, std::strerror(errno));
    }
    madeDirs_.emplace_back(dir, RememberTemporary(dir, true));
}

void TOutputSet::Commit() {
    for (auto& f : files_) {
        if (f.text && !f.text->closed()) f.text->Close();
        if (f.bytes && !f.bytes->closed()) f.bytes->Close();
    }
    if (files_.empty()) {
        lock_.reset();
        return;
    }
    LockNow();
    {
        TSignalBlock block;  // the renames are not cut in the middle
        // From here the set lands whole: a signal that came meanwhile no
        // longer ends the run, which goes on to its normal end.
        MarkCommitBegun();
        Publish();
        for (const std::string& path : removals_) ::unlink(path.c_str());
        for (const std::string& dir : dirRemovals_) ::rmdir(dir.c_str());
    }
    for (auto& [dir, entry] : madeDirs_) ForgetTemporary(entry);
    madeDirs_.clear();
    lock_.reset();
}

void TOutputSet::Publish() {
    std::vector<TReplaced> done;
    auto restore = [&] {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (!it->backup.empty())
                ::rename(it->backup.c_str(), it->target.c_str());
            else if (!it->hadFile)
                ::unlink(it->target.c_str());
        }
    };
    try {
        for (auto& staged : files_) {
            auto publish = [&] {
                if (staged.text)
                    staged.text->Publish();
                else
                    staged.bytes->Publish();
            };
            const std::string& temporary = staged.text ? staged.text->temporary() : staged.bytes->temporary();
            if (temporary.empty()) {  // written in place (a device)
                publish();
                continue;
            }
            TReplaced r;
            r.target = staged.text ? staged.text->target() : staged.bytes->target();
            struct stat st{};
            r.hadFile = ::lstat(r.target.c_str(), &st) == 0;
            r.backup = LinkBackup(r.target);
            try {
                publish();
            } catch (...) {
                if (!r.backup.empty()) ::unlink(r.backup.c_str());
                throw;
            }
            done.push_back(std::move(r));
        }
    } catch (...) {
        restore();
        throw;
    }
    for (const TReplaced& r : done)
        if (!r.backup.empty()) ::unlink(r.backup.c_str());
}

std::vector<std::string> TOutputSet::Paths() const {
    std::vector<std::string> paths;
    for (const auto& f : files_) paths.push_back(f.text ? f.text->path() : f.bytes->path());
    return paths;
}

}  // namespace kestrova
