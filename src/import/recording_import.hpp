// One import for every instrument recording: recognises the format from the
// content (or takes the one given), converts the recording as it streams by
// and stages the book in an output set (the caller commits it).
//   total station -> text book (output ending in ".crt" / ".carnet") or
//                    XML book (any other output name)
//   digital level -> levelling book ".na3" (the output's extension becomes
//                    ".na3")
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/output_set.hpp"
#include "base/progress.hpp"
#include "import/recording_format.hpp"
#include "import/survey_record.hpp"

namespace kestrova {

// No format fits the content (line number 0).
class TUnrecognisedRecording : public TImportError {
public:
    explicit TUnrecognisedRecording(const std::string& firstLine);
};

struct TImportResult {
    TRecordingFormat format = TRecordingFormat::Unknown;
    std::string output;  // the file staged
    int stations = 0;
    long long pointings = 0;
    long long readings = 0;  // levelling book rows
    std::string skipped;     // "12 coordonnées (08), 3 notes (13)" or "aucun"
    std::vector<std::string> warnings;
};

// The name the book gets from `out`: ".na3" for a levelling recording.
std::string ImportOutputName(const std::string& out, TRecordingFormat format);
// True when `out` asks for the text book.
bool WantsTextBook(const std::string& out);

// The format of the file `in` (its first lines). Throws TextFileError.
TRecordingFormat RecogniseRecordingFile(const std::string& in, std::string* firstLine = nullptr);

// Throws TUnrecognisedRecording, TImportError (a value that cannot be read,
// the line named), TextFileError, TCancelled; nothing is then committed.
TImportResult ImportRecording(const std::string& in, const std::string& out, std::optional<TRecordingFormat> format,
                              TOutputSet& outputs, TProgress& progress);

// The lines of a recording in memory, converted with the given format
// (Unknown: recognised) into book lines. For tests and fuzzing.
TImportResult ImportRecordingLines(const std::vector<std::string>& lines, TRecordingFormat format, bool textBook,
                                   std::vector<std::string>& book);

// The summary printed after an import (French, several lines).
std::vector<std::string> ImportSummary(const TImportResult& result);

}  // namespace kestrova
