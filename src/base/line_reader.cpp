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

constexpr std::size_t kChunk = std::size_t(1) << 20;

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

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
        checkpoints_.push_back({fileBytes_, lineEnds_});
        fileBytes_ += chunk.size();
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

TTextLineReader::TTextLineReader(const std::string& path, bool utf8, std::size_t begin, long long firstLineNumber)
    : path_(path), lineNumber_(firstLineNumber), utf8_(utf8) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw TextFileError(path, std::strerror(errno));
    if (::fseeko(file_, static_cast<off_t>(begin), SEEK_SET) != 0) {
        const int error = errno;
        std::fclose(file_);
        file_ = nullptr;
        throw TextFileError(path, std::strerror(error));
    }
    buffer_.resize(kChunk);
    filePos_ = begin;
}

TTextLineReader::TCheckpoint TTextLineReader::CheckpointBefore(std::size_t offset) const {
    TCheckpoint found;
    for (const TCheckpoint& c : checkpoints_) {
        if (c.offset > offset) break;
        found = c;
    }
    return found;
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

bool TTextLineReader::Refill() {
    if (atEnd_) return false;
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    std::size_t want = buffer_.size() - end_;
    if (stopAt_ < filePos_ + want) want = stopAt_ > filePos_ ? stopAt_ - filePos_ : 0;
    errno = 0;
    const std::size_t got = want == 0 ? 0 : std::fread(buffer_.data() + end_, 1, want, file_);
    filePos_ += got;
    if (got == 0) {
        if (std::ferror(file_)) throw TextFileError(path_, std::strerror(errno ? errno : EIO));
        atEnd_ = true;
        return false;
    }
    end_ += got;
    return true;
}

bool TTextLineReader::NextRaw(std::string_view& raw) {
    auto tooLong = [&] {
        return TextFileError(path_, Format("ligne %d : plus de %d Mo sans fin de ligne, le fichier n'est pas lu",
                                           lineNumber_ + 1, static_cast<long long>(kMaxLineBytes >> 20)));
    };
    std::size_t scanned = pos_;  // no line end before this
    const char* nl = nullptr;
    for (;;) {
        nl = static_cast<const char*>(std::memchr(buffer_.data() + scanned, '\n', end_ - scanned));
        if (nl) break;
        // + 1: room for a CR.
        if (end_ - pos_ > kMaxLineBytes + 1) throw tooLong();
        const std::size_t held = end_ - pos_;  // scanned, moved to the front by Refill
        if (!Refill()) break;
        scanned = pos_ + held;
    }
    const char* start = buffer_.data() + pos_;
    std::size_t length;
    if (nl) {
        length = static_cast<std::size_t>(nl - start);
        pos_ += length + 1;
    } else {
        if (pos_ == end_) return false;
        length = end_ - pos_;
        pos_ = end_;
    }
    raw = std::string_view(start, length);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.size() > kMaxLineBytes) throw tooLong();
    if (lineNumber_ == 0 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    ++lineNumber_;
    return true;
}

bool TTextLineReader::Next(std::string_view& line) {
    std::string_view raw;
    if (!NextRaw(raw)) return false;
    if (utf8_ || IsAscii(raw)) {
        line = raw;
    } else {
        decoded_.clear();  // keeps its room
        AppendCp1252AsUtf8(decoded_, raw);
        line = decoded_;
    }
    return true;
}

bool TTextLineReader::Next(std::string& line) {
    std::string_view view;
    if (!Next(view)) return false;
    line.assign(view);
    return true;
}

}  // namespace kestrova
