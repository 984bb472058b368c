#include "base/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "base/encoding.hpp"
#include "base/format.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 16;

// Length of the incomplete UTF-8 sequence that ends `bytes` (to be checked
// with the next chunk), 0 when the last sequence is complete.
std::size_t IncompleteTail(std::string_view bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte: look further back
        const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

}  // namespace

TTextLineReader::TTextLineReader(const std::string& path, std::string_view marker) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw TextFileError(path, std::strerror(errno));
    struct stat st{};
    if (::fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw TextFileError(path, std::strerror(EISDIR));
    }
    buffer_.resize(kChunk);
    // The scan goes by chunks, not lines: a line end never splits a UTF-8
    // sequence, so the file is valid UTF-8 exactly when every line is, and
    // the marker holds no line end. A sequence or a marker cut by the end
    // of a chunk is carried over to the next.
    std::string carry;
    std::string window;  // the last marker.size() - 1 bytes seen
    while (Fill()) {
        std::string_view chunk(buffer_.data(), end_);
        pos_ = end_;
        lineEnds_ += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n'));
        if (utf8_ && carry.empty()) {
            const std::size_t tail = IncompleteTail(chunk);
            if (!IsValidUtf8(chunk.substr(0, chunk.size() - tail))) utf8_ = false;
            carry.assign(chunk.substr(chunk.size() - tail));
        } else if (utf8_) {
            std::string joined = carry + std::string(chunk);
            const std::size_t tail = IncompleteTail(joined);
            if (!IsValidUtf8(std::string_view(joined).substr(0, joined.size() - tail))) utf8_ = false;
            carry = joined.substr(joined.size() - tail);
        }
        if (!markerFound_ && !marker.empty()) {
            window.append(chunk.substr(0, std::min(chunk.size(), marker.size())));
            if (window.find(marker) != std::string::npos || chunk.find(marker) != std::string_view::npos)
                markerFound_ = true;
            window.assign(chunk.substr(chunk.size() - std::min(chunk.size(), marker.size() - 1)));
        }
    }
    if (!carry.empty()) utf8_ = false;  // the file ends inside a sequence
    std::rewind(file_);
    pos_ = end_ = 0;
}

TTextLineReader::~TTextLineReader() {
    if (file_) std::fclose(file_);
}

bool TTextLineReader::Fill() {
    errno = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    if (end_ == 0 && std::ferror(file_)) throw TextFileError(path_, std::strerror(errno ? errno : EIO));
    return end_ > 0;
}

bool TTextLineReader::NextRaw(std::string& raw) {
    raw.clear();
    bool any = false;
    auto tooLong = [&] {
        return TextFileError(path_, Format("ligne %d : plus de %d Mo sans fin de ligne, le fichier n'est pas lu",
                                           lineNumber_ + 1, static_cast<long long>(kMaxLineBytes >> 20)));
    };
    for (;;) {
        if (pos_ == end_ && !Fill()) {
            if (!any) return false;
            break;
        }
        any = true;
        const char* start = buffer_.data() + pos_;
        const char* nl = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
        const std::size_t take = nl ? static_cast<std::size_t>(nl - start) : end_ - pos_;
        if (raw.size() + take > kMaxLineBytes + 1) throw tooLong();  // + 1: room for a CR
        raw.append(start, take);
        pos_ += take;
        if (nl) {
            ++pos_;
            break;
        }
    }
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.size() > kMaxLineBytes) throw tooLong();
    if (lineNumber_ == 0 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    ++lineNumber_;
    return true;
}

bool TTextLineReader::Next(std::string& line) {
    if (!NextRaw(utf8_ ? line : raw_)) return false;
    if (!utf8_) {
        line.clear();  // keeps its room
        AppendCp1252AsUtf8(line, raw_);
    }
    return true;
}

}  // namespace kestrova
