// Renaming a point throughout a text field book or a levelling book, and
// writing the renamed book with a backup of the lines it had before.
#pragma once
#include <optional>
#include <string>
#include <vector>

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

// The backup of a renamed book: its file name followed by ".backup".
std::string BackupName(const std::string& path);

// Writes `before` to the backup and `after` to `path`, both staged first and
// put in place together (backup first); on failure neither file changes and
// TextFileError tells which file and why.
void WriteRenamedBook(const std::string& path, const std::vector<std::string>& before,
                      const std::vector<std::string>& after);

}  // namespace kestrova
