// The file layer: every file the program reads or writes goes through here.
// Reading accepts UTF-8 (BOM or not) and Windows-1252, and the line ends of
// every system: LF, CR LF and a CR alone, mixed in one file too; writing
// produces Windows-1252 (ISO-8859-1 with character references for XML)
// with CR LF, atomically: a temporary file in the target folder is renamed
// over the target only when everything was written.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// Carries the path and the system's reason: "<path> : <reason>".
class TextFileError : public std::runtime_error {
public:
    TextFileError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

enum class FileEncoding { Cp1252, Latin1Xml };

bool FileExists(const std::string& path);

// True when both paths name one existing regular file (same device and
// inode), whatever the spelling, links included.
bool SameFile(const std::string& a, const std::string& b);

// Whole file as raw bytes; throws TextFileError.
std::string ReadFileBytes(const std::string& path);

// File as UTF-8 lines without their line ends; throws TextFileError.
std::vector<std::string> ReadTextLines(const std::string& path);

// The beginning of a file for a look at it, whatever its size: its first
// lines as UTF-8 (as ReadTextLines decodes them), as many whole lines as
// `maxBytes` of the file hold; a first line longer than that is cut there,
// between two characters. `more` tells whether the file goes on past them.
// Throws TextFileError.
std::vector<std::string> ReadTextStart(const std::string& path, std::size_t maxBytes, bool& more);

// The one line-end rule of every reader: a line ends at LF, at CR LF, or at
// a CR that no LF follows (old instruments and some transfer programs end
// lines with CR alone), whatever the mix in one file. The line end that
// begins at or after `from`: its offset, `length` 1 or 2 bytes; npos when
// there is none. A CR that ends `text` counts as a line end of 1 byte: a
// caller that reads a file in pieces looks at the next byte first.
std::size_t FindLineEnd(std::string_view text, std::size_t from, std::size_t& length);

// Splits decoded text into lines by that rule (a line end at the very end
// of the text starts no line).
std::vector<std::string> SplitTextLines(std::string_view text);

// Writes every line followed by CR LF; throws TextFileError.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    FileEncoding encoding = FileEncoding::Cp1252);

// Writes bytes as they are; throws TextFileError.
void WriteFileBytes(const std::string& path, std::string_view bytes);

// Same as WriteTextLines, reporting success instead of throwing; the
// reason of a failure goes into *error when given.
bool TryWriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                       FileEncoding encoding = FileEncoding::Cp1252, std::string* error = nullptr);

// Encodes lines as the file layer writes them (CR LF after each line).
std::string EncodeTextLines(const std::vector<std::string>& lines, FileEncoding encoding);

// Path helpers.
std::string ExtractFileExt(const std::string& path);          // ".obs", or "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string ExtractFileDir(const std::string& path);          // without the final "/"
std::string ExtractFileName(const std::string& path);

}  // namespace kestrova
