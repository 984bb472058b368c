// Renaming a point throughout a text field book or a levelling book, and
// writing the renamed book with a backup of the lines it had before.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

enum class TRenameBook { Other, Text, Levelling };

// A text field book (a line among the first seven begins with "station" or
// "numero"), a levelling book (more than five lines, one of the first seven
// names the level "W I L D  N A 2 0 0 0"), or neither.
TRenameBook DetectRenameBook(const std::vector<std::string>& lines);

// What the dialog shows when it opens on line `caret` (0-based): the name
// under the caret and whether the two check boxes may be changed.
struct TRenamePreset {
    TRenameBook book = TRenameBook::Other;
    std::string name;
    bool choicesEnabled = true;
};
TRenamePreset RenamePreset(const std::vector<std::string>& lines, int caret);

struct TRenameOptions {
    bool targets = true;    // "Renommer les visées"
    bool stations = false;  // "Renommer les stations"
};

// The renamed book; nullopt when the book is neither a text field book nor a
// levelling book, or when a name is empty (after trimming, control
// characters and ";" blanked). `renamed`, when given, counts the lines that
// took the new name.
std::optional<std::vector<std::string>> RenamePoint(const std::vector<std::string>& lines, const std::string& from,
                                                    const std::string& to, const TRenameOptions& options,
                                                    int* renamed = nullptr);

// Why `to` cannot be the new name of a point of such a book ("" when it
// can): a name is one word of the book's lines, so it holds no blank, no
// control character, no ";" (read as a blank) nor, in a field book, "*"
// (the start of a comment), and fits the name field: 16 characters in a
// field book, 9 in a levelling book. Blanks around the name are dropped.
std::string NewNameProblem(TRenameBook book, std::string_view to);

// The backup of a renamed book: its file name followed by ".backup".
std::string BackupName(const std::string& path);

// Renames a point in the book file at `path`, in place. The book's lock
// (the output set's, on the book's name) is held from the read to the
// commit, so that renames run together on one book all land. The backup is
// a byte copy of the file; the renamed book keeps the file's encoding
// (UTF-8, with its BOM when it had one, or Windows-1252) and the line end
// of each line; a line the renaming leaves as it was keeps its bytes.
// Nothing is written when the file is no book, the new name is refused
// (`refused` says why) or no line names the point. Throws TextFileError
// (reading or writing; nothing changed then) and TCancelled.
struct TRenameFileResult {
    TRenameBook book = TRenameBook::Other;
    int renamed = 0;      // lines that took the new name
    std::string refused;  // NewNameProblem of the new name
};
TRenameFileResult RenameBookFile(const std::string& path, const std::string& from, const std::string& to,
                                 const TRenameOptions& options, TProgress& progress);

// A renamed book that exists only as lines (a document edited since it was
// read): `after` goes to `path` in the encoding and line end of the file
// there (Windows-1252 and CR LF when there is none), and the backup is a
// byte copy of that file (`before` when there is none), both staged first
// and put in place together (backup first); on failure neither file
// changes and TextFileError tells which file and why.
void WriteRenamedBook(const std::string& path, const std::vector<std::string>& before,
                      const std::vector<std::string>& after);

}  // namespace kestrova
