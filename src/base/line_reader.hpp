// Reads a text file line by line without holding it in memory, with the
// same rules as ReadTextLines: UTF-8 (BOM or not) or Windows-1252, detected
// for the whole file, and the line ends of FindLineEnd (LF, CR LF, a CR
// alone, mixed too). A first pass over the raw
// bytes decides the encoding (and looks for an optional ASCII marker).
//
// Memory stays bounded whatever the file holds: the bytes go through a
// fixed buffer, and a line longer than kMaxLineBytes (16 MiB, far beyond
// any line of a field book or a recording) is refused with an error naming
// it, instead of being gathered whole (a 1 GB line with no line end would
// otherwise take several times its size).
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

inline constexpr std::size_t kMaxLineBytes = std::size_t(16) << 20;

class TTextLineReader {
public:
    // Opens and scans the file; throws TextFileError.
    explicit TTextLineReader(const std::string& path, std::string_view marker = {});
    // Reads the file from byte `begin`, the start of line `firstLineNumber`
    // (from 0), with the encoding found by the scan of a first reader
    // (`utf8`): no scan of its own.
    TTextLineReader(const std::string& path, bool utf8, std::size_t begin, long long firstLineNumber);
    // Reads the file from byte `begin` with no scan at all, its lines
    // numbered from 0: each line is taken as UTF-8 when it is valid UTF-8,
    // as Windows-1252 otherwise (SawUtf8/SawOtherBytes tell which were
    // met), and looked at for the marker. The lines are those of a scanned
    // reading when the file is not of both kinds.
    struct TUnscanned {};
    TTextLineReader(const std::string& path, std::size_t begin, std::string_view marker, TUnscanned);
    ~TTextLineReader();
    TTextLineReader(const TTextLineReader&) = delete;
    TTextLineReader& operator=(const TTextLineReader&) = delete;

    // The next line as UTF-8, without its line end; false at the end of
    // the file. Throws TextFileError on a read error, and on a line longer
    // than kMaxLineBytes ("<path> : ligne N : ...").
    bool Next(std::string& line);
    // The same as a view, valid until the next call: no copy for a line
    // that already is UTF-8 in the read buffer (every line of a UTF-8 file,
    // the ASCII lines of a Windows-1252 one).
    bool Next(std::string_view& line);

    bool IsUtf8() const { return utf8_; }
    // True when the marker occurs on some line of the file (of the lines
    // read so far, without a scan).
    bool MarkerFound() const { return markerFound_; }
    // Without a scan: a line of non-ASCII UTF-8, a line that is not UTF-8.
    bool SawUtf8() const { return sawUtf8_; }
    bool SawOtherBytes() const { return sawOther_; }
    // Line ends counted by the first pass (for a progress).
    std::size_t LineEnds() const { return lineEnds_; }
    // Bytes of the file seen by the first pass.
    std::size_t FileBytes() const { return fileBytes_; }
    // A byte offset of the file and the number of line ends before it, as
    // the first pass noted them every 1 MiB.
    struct TCheckpoint {
        std::size_t offset = 0;
        std::size_t lineEnds = 0;
    };
    // The last one at or before `offset` (the start of the file at least).
    TCheckpoint CheckpointBefore(std::size_t offset) const;

    // Byte offset in the file of the next line to be read.
    std::size_t Position() const { return filePos_ - (end_ - pos_); }
    // The reading ends at this byte offset (a line start), as at the end of
    // the file.
    void StopAt(std::size_t offset) { stopAt_ = offset; }
    // Number (from 0) of the next line to be read.
    long long LineNumber() const { return lineNumber_; }

private:
    bool NextRaw(std::string_view& raw);
    // Keeps the bytes from pos_ on, moved to the front of the buffer (which
    // grows when they fill it), and reads more after them; false at the end
    // of the file.
    bool Refill();

    std::string path_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    bool atEnd_ = false;
    std::size_t filePos_ = 0;  // offset in the file of buffer_[end_]
    std::size_t stopAt_ = static_cast<std::size_t>(-1);
    std::size_t fileBytes_ = 0;
    std::vector<TCheckpoint> checkpoints_;
    std::string decoded_;  // a Windows-1252 line with non-ASCII bytes, as UTF-8
    long long lineNumber_ = 0;
    bool fileStart_ = true;  // the first line read starts the file (a BOM there is dropped)
    bool unscanned_ = false;
    std::string marker_;  // looked for in the lines read, without a scan
    bool sawUtf8_ = false;
    bool sawOther_ = false;
    bool utf8_ = true;
    bool markerFound_ = false;
    std::size_t lineEnds_ = 0;
};

}  // namespace kestrova
