// Reads a text file line by line without holding it in memory, with the
// same rules as ReadTextLines: UTF-8 (BOM or not) or Windows-1252, detected
// for the whole file, CR LF or LF line ends. A first pass over the raw
// bytes decides the encoding (and looks for an optional ASCII marker).
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace kestrova {

class TTextLineReader {
public:
    // Opens and scans the file; throws TextFileError.
    explicit TTextLineReader(const std::string& path, std::string_view marker = {});
    ~TTextLineReader();
    TTextLineReader(const TTextLineReader&) = delete;
    TTextLineReader& operator=(const TTextLineReader&) = delete;

    // The next line as UTF-8, without its line end; false at the end of
    // the file. Throws TextFileError on a read error.
    bool Next(std::string& line);

    bool IsUtf8() const { return utf8_; }
    // True when the marker occurs on some line of the file.
    bool MarkerFound() const { return markerFound_; }

private:
    bool NextRaw(std::string_view& raw);

    std::string path_;
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    bool first_ = true;
    bool utf8_ = true;
    bool markerFound_ = false;
};

}  // namespace kestrova
