#include "shell/report_sections.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// "<NAME" followed by a blank, ">" or "/" at `pos`.
bool StartsElement(std::string_view text, std::size_t pos, std::string_view name) {
    if (text.compare(pos, name.size() + 1, std::string("<").append(name)) != 0) return false;
    const std::size_t after = pos + name.size() + 1;
    if (after >= text.size()) return false;
    const char c = text[after];
    return IsBlank(c) || c == '>' || c == '/';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

std::string Attribute(std::string_view tag, std::string_view name) {
    const std::string key = std::string(" ").append(name).append("=\"");
    const std::size_t at = tag.find(key);
    if (at == std::string_view::npos) return {};
    const std::size_t from = at + key.size();
    const std::size_t to = tag.find('"', from);
    return to == std::string_view::npos ? std::string() : std::string(tag.substr(from, to - from));
}

// How much of the file a scan keeps in memory behind its position.
constexpr std::size_t kScanWindow = 16u << 20;

// The file mapped read-only for one scan.
class Mapping {
public:
    explicit Mapping(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;
        struct stat st{};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return;
        void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED) return;
        ::madvise(p, static_cast<std::size_t>(st.st_size), MADV_SEQUENTIAL);
        data_ = static_cast<const char*>(p);
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ~Mapping() {
        if (data_) ::munmap(const_cast<char*>(data_), size_);
        if (fd_ >= 0) ::close(fd_);
    }
    std::string_view Text() const { return {data_, size_}; }

    // The pages before `offset` leave the process's memory (read again
    // from the file if used again), a window of `kScanWindow` bytes at a
    // time: a scan of a report of hundreds of megabytes keeps only the part
    // it is reading.
    void Release(std::size_t offset) {
        static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t end = offset / page * page;
        if (!data_ || end < released_ + kScanWindow) return;
        ::madvise(const_cast<char*>(data_) + released_, end - released_, MADV_DONTNEED);
        released_ = end;
    }

private:
    int fd_ = -1;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t released_ = 0;
};

}  // namespace

bool TReportSections::Scan(const std::string& path) {
    path_ = path;
    prefix_.clear();
    suffix_.clear();
    stations_.clear();
    Mapping map(path);
    const std::string_view text = map.Text();
    if (text.empty()) return false;

    std::size_t pos = 0;
    while (true) {
        pos = text.find("<stations", pos);
        if (pos == std::string_view::npos) return false;
        if (StartsElement(text, pos, "stations")) break;
        ++pos;
    }
    pos = XmlTagEnd(text, pos);
    if (pos == std::string_view::npos) return false;
    pos = SkipBlanks(text, pos);
    // Only blanks between the stations: anything else is not a report of
    // this program, and is rendered whole.
    while (StartsElement(text, pos, "station")) {
        Station s;
        s.begin = pos;
        const std::size_t tagEnd = XmlTagEnd(text, pos);
        if (tagEnd == std::string_view::npos) return false;
        s.startTag.assign(text.substr(pos, tagEnd - pos));
        if (text[tagEnd - 2] == '/') {
            s.end = tagEnd;
        } else {
            const std::size_t close = text.find("</station>", tagEnd);
            if (close == std::string_view::npos) return false;
            s.end = close + std::strlen("</station>");
        }
        s.num = Attribute(s.startTag, "num");
        pos = SkipBlanks(text, s.end);
        stations_.push_back(std::move(s));
        map.Release(pos);
    }
    if (stations_.empty() || text.compare(pos, 11, "</stations>") != 0) {
        stations_.clear();
        return false;
    }
    prefix_.assign(text.substr(0, stations_.front().begin));
    suffix_.assign(text.substr(stations_.back().end));
    return true;
}

std::string TReportSections::SummaryDocument() const {
    std::string doc = prefix_;
    for (const Station& s : stations_) {
        std::string_view tag = s.startTag;
        if (tag.size() >= 2 && tag[tag.size() - 2] == '/') {
            doc.append(tag);
        } else {
            doc.append(tag.substr(0, tag.size() - 1)).append("/>");
        }
        doc += '\n';
    }
    return doc + suffix_;
}

std::string TReportSections::StationDocument(std::size_t i) const {
    const Station& s = stations_.at(i);
    std::string doc = prefix_;
    const std::size_t at = doc.size();
    doc.resize(at + static_cast<std::size_t>(s.end - s.begin));
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error(std::strerror(errno));
    std::size_t done = 0;
    while (done < s.end - s.begin) {
        const ssize_t n = ::pread(fd, doc.data() + at + done, s.end - s.begin - done,
                                  static_cast<off_t>(s.begin + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            throw std::runtime_error(std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return doc + suffix_;
}

}  // namespace kestrova
