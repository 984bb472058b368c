#include "base/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <sys/stat.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/encoding.hpp"
#include "base/format.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kChunk = std::size_t(64) << 10;

// Number of line ends in `bytes` by the rule of FindLineEnd (LF, CR LF, a
// CR alone; a CR at the very end counts as one), 16 bytes at a time: each
// lane of the counters counts what it met (at most 255 before they are
// added up). A CR LF is counted by its LF: the CRs followed by an LF are
// taken off.
std::size_t CountLineEnds(std::string_view bytes) {
    std::size_t lfs = 0, crs = 0, pairs = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i nl = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    auto add = [&](std::size_t& count, __m128i lanes) {
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    };
    // + 17: the byte after each block is looked at for a CR LF.
    while (i + 17 <= bytes.size()) {
        __m128i lfLanes = zero, crLanes = zero, pairLanes = zero;
        for (int round = 0; round < 255 && i + 17 <= bytes.size(); ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i + 1));
            const __m128i isCr = _mm_cmpeq_epi8(v, cr);
            lfLanes = _mm_sub_epi8(lfLanes, _mm_cmpeq_epi8(v, nl));  // a match is -1
            crLanes = _mm_sub_epi8(crLanes, isCr);
            pairLanes = _mm_sub_epi8(pairLanes, _mm_and_si128(isCr, _mm_cmpeq_epi8(next, nl)));
        }
        add(lfs, lfLanes);
        add(crs, crLanes);
        add(pairs, pairLanes);
    }
#endif
    for (; i < bytes.size(); ++i) {
        lfs += bytes[i] == '\n';
        if (bytes[i] == '\r') {
            ++crs;
            pairs += i + 1 < bytes.size() && bytes[i + 1] == '\n';
        }
    }
    return lfs + crs - pairs;
}

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

namespace {

// What the first pass finds in a part of the file.
struct TScan {
    bool utf8 = true;
    bool markerFound = false;
    std::size_t lineEnds = 0;
    std::size_t bytes = 0;
    std::vector<TTextLineReader::TCheckpoint> checkpoints;  // offsets from the start of the file
};

// Scans `file` from its position (byte `begin` of the file) to byte `end`
// or its end. A part ends at a line end (or the end of the file): a line
// end never splits a UTF-8 sequence, so the file is valid UTF-8 exactly when
// every part is, and the marker holds no line end.
TScan ScanPart(std::FILE* file, const std::string& path, std::size_t begin, std::size_t end,
               std::string_view marker, std::size_t chunk) {
    TScan scan;
    std::vector<char> buffer(chunk);
    // A sequence or a marker cut by the end of a chunk is carried over to
    // the next.
    std::string carry;
    std::string window;  // the last marker.size() - 1 bytes seen
    bool crEnded = false;  // the last chunk ended with a CR
    for (;;) {
        const std::size_t want = std::min(buffer.size(), end - begin - scan.bytes);
        errno = 0;
        const std::size_t got = want == 0 ? 0 : std::fread(buffer.data(), 1, want, file);
        if (got == 0) {
            if (std::ferror(file)) throw TextFileError(path, std::strerror(errno ? errno : EIO));
            break;
        }
        std::string_view chunk(buffer.data(), got);
        // A CR that ended the last chunk was counted as a line end of its
        // own; with this LF after it, the LF is the line end.
        if (crEnded && chunk[0] == '\n') --scan.lineEnds;
        crEnded = chunk.back() == '\r';
        scan.checkpoints.push_back({begin + scan.bytes, scan.lineEnds});
        scan.bytes += got;
        scan.lineEnds += CountLineEnds(chunk);
        if (scan.utf8 && carry.empty()) {
            const std::size_t tail = IncompleteTail(chunk);
            if (!IsValidUtf8(chunk.substr(0, chunk.size() - tail))) scan.utf8 = false;
            carry.assign(chunk.substr(chunk.size() - tail));
        } else if (scan.utf8) {
            std::string joined = carry + std::string(chunk);
            const std::size_t tail = IncompleteTail(joined);
            if (!IsValidUtf8(std::string_view(joined).substr(0, joined.size() - tail))) scan.utf8 = false;
            carry = joined.substr(joined.size() - tail);
        }
        if (!scan.markerFound && !marker.empty()) {
            window.append(chunk.substr(0, std::min(chunk.size(), marker.size())));
            if (window.find(marker) != std::string::npos || chunk.find(marker) != std::string_view::npos)
                scan.markerFound = true;
            window.assign(chunk.substr(chunk.size() - std::min(chunk.size(), marker.size() - 1)));
        }
    }
    if (!carry.empty()) scan.utf8 = false;  // the part ends inside a sequence
    return scan;
}

// Byte after the first line end at or after `from` (not a CR of a CR LF
// that starts there); 0 when there is none in the next chunk.
std::size_t LineStartAfter(const std::string& path, std::size_t from) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::vector<char> buffer(kChunk);
    std::size_t found = 0;
    if (::fseeko(f, static_cast<off_t>(from), SEEK_SET) == 0) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        const std::string_view bytes(buffer.data(), got);
        std::size_t length = 0;
        const std::size_t at = FindLineEnd(bytes, 0, length);
        // A CR at the end of the bytes read: its LF, if any, is unknown.
        if (at != std::string_view::npos && at + 1 < got) found = from + at + length;
    }
    std::fclose(f);
    return found;
}

// From this size on, the first pass scans the two halves of the file side
// by side.
constexpr std::size_t kTwoPartScanBytes = std::size_t(8) << 20;

}  // namespace

TTextLineReader::TTextLineReader(const std::string& path, std::string_view marker) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw TextFileError(path, std::strerror(errno));
    struct stat st{};
    const bool known = ::fstat(fileno(file_), &st) == 0;
    if (known && S_ISDIR(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw TextFileError(path, std::strerror(EISDIR));
    }
    const std::size_t none = static_cast<std::size_t>(-1);
    const bool regular = known && S_ISREG(st.st_mode);
    const std::size_t size = regular ? static_cast<std::size_t>(st.st_size) : 0;
    // A small file gets a buffer of its size (it grows for a line that does
    // not fit, should the file grow meanwhile).
    const std::size_t chunk = regular ? std::clamp<std::size_t>(size + 1, 4096, kChunk) : kChunk;
    buffer_.resize(chunk);
    const std::size_t middle = size >= kTwoPartScanBytes ? LineStartAfter(path, size / 2) : 0;
    TScan scan;
    try {
        if (middle == 0) {
            scan = ScanPart(file_, path, 0, none, marker, chunk);
        } else {
            // The second half, from a line start, on a thread of its own.
            TScan second;
            bool secondDone = false;
            std::thread thread;
            try {
                thread = std::thread([&] {
                    try {
                        std::FILE* f = std::fopen(path.c_str(), "rb");
                        if (!f) return;
                        struct TClose {
                            std::FILE* f;
                            ~TClose() { std::fclose(f); }
                        } close{f};
                        if (::fseeko(f, static_cast<off_t>(middle), SEEK_SET) != 0) return;
                        second = ScanPart(f, path, middle, none, marker, chunk);
                        secondDone = true;
                    } catch (...) {
                    }
                });
            } catch (const std::system_error&) {
            }
            try {
                scan = ScanPart(file_, path, 0, middle, marker, chunk);
            } catch (...) {
                if (thread.joinable()) thread.join();
                throw;
            }
            if (thread.joinable()) thread.join();
            // Without a thread, or when that part failed on its own: the
            // second half after the first, where this reading stands, as a
            // scan in one part would have read it.
            if (!secondDone) second = ScanPart(file_, path, middle, none, marker, chunk);
            scan.utf8 = scan.utf8 && second.utf8;
            scan.markerFound = scan.markerFound || second.markerFound;
            for (TCheckpoint c : second.checkpoints) {
                c.lineEnds += scan.lineEnds;
                scan.checkpoints.push_back(c);
            }
            scan.lineEnds += second.lineEnds;
            scan.bytes += second.bytes;
        }
    } catch (...) {
        std::fclose(file_);
        file_ = nullptr;
        throw;
    }
    utf8_ = scan.utf8;
    markerFound_ = scan.markerFound;
    lineEnds_ = scan.lineEnds;
    fileBytes_ = scan.bytes;
    checkpoints_ = std::move(scan.checkpoints);
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
    fileStart_ = begin == 0;
}

TTextLineReader::TTextLineReader(const std::string& path, std::size_t begin, std::string_view marker, TUnscanned)
    : TTextLineReader(path, true, begin, 0) {
    unscanned_ = true;
    marker_ = marker;
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
    std::size_t scanned = 0;  // from pos_: no line end before this
    std::size_t at = std::string_view::npos, endLength = 0;
    for (;;) {
        const std::string_view held(buffer_.data(), end_);
        at = FindLineEnd(held, pos_ + scanned, endLength);
        // A CR that ends the bytes read may be the first half of a CR LF:
        // the next byte tells, unless the file ends there.
        const bool crAtEdge = at != std::string_view::npos && held[at] == '\r' && at + 1 == end_;
        if (at != std::string_view::npos && (!crAtEdge || atEnd_)) break;
        if (atEnd_) break;  // the last line has no line end
        scanned = (at != std::string_view::npos ? at : end_) - pos_;
        // + 1: room for a CR.
        if (end_ - pos_ > kMaxLineBytes + 1) throw tooLong();
        Refill();  // keeps the bytes from pos_ on, moved to the front
    }
    const char* start = buffer_.data() + pos_;
    std::size_t length;
    if (at != std::string_view::npos) {
        length = at - pos_;
        pos_ = at + endLength;
    } else {
        if (pos_ == end_) return false;
        length = end_ - pos_;
        pos_ = end_;
    }
    raw = std::string_view(start, length);
    if (raw.size() > kMaxLineBytes) throw tooLong();
    if (lineNumber_ == 0 && fileStart_ && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    ++lineNumber_;
    return true;
}

bool TTextLineReader::Next(std::string_view& line) {
    std::string_view raw;
    if (!NextRaw(raw)) return false;
    if (unscanned_) {
        if (!markerFound_ && !marker_.empty() && raw.find(marker_) != std::string_view::npos) markerFound_ = true;
        if (!IsAscii(raw)) {
            if (IsValidUtf8(raw)) {
                sawUtf8_ = true;
            } else {
                sawOther_ = true;
                decoded_.clear();
                AppendCp1252AsUtf8(decoded_, raw);
                line = decoded_;
                return true;
            }
        }
        line = raw;
        return true;
    }
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
