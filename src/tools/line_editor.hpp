// The observation line editor: one line of a field book shown as labelled
// fields, checked and written back. Text books are edited line by line as
// text; XML books one `station` or `obs` element per line.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

enum class TEditorMode { None, Text, Xml };

// The kind of book, from its content as the readers see it: "<?xml" at the
// start of the first line: XML; else a line anywhere that begins with
// "station" or "numero" (blanks aside): text; else a book named *.crt or
// *.carnet (one without stations yet): text; anything else: none.
// `lineAt` gives line i of `lineCount` (the search stops at the first
// station or pointing line).
TEditorMode DetectEditorMode(int lineCount, const std::function<std::string(int)>& lineAt,
                             const std::string& fileName = {});
TEditorMode DetectEditorMode(const std::vector<std::string>& lines, const std::string& fileName = {});
// The mode of an open editor, from the first line alone: XML or text.
TEditorMode EditorModeOfFirstLine(const std::string& firstLine);

// What the current line holds, which decides the labels and the fields shown.
enum class TObsLayout {
    Other,           // comment, blank-free unknown line: fields empty
    Observation,     // "numero" line, or an empty line
    Station,         // "station" line
    Prism,           // "prisme" line
    XmlObservation,  // `obs` element
    XmlStation,      // `station` element
};

struct TObsFields {
    std::string Numligne, Ptvise, Ah, Av, Dp, ppm, Hv, prisme;
};

struct TObsView {
    TObsLayout layout = TObsLayout::Other;
    // Unit of the pressure of a station ("mmHg" or "hPa", as the line
    // names it), empty for the other layouts.
    std::string pressureUnit;
    TObsFields fields;
    int index = 0;  // 0-based line shown
    bool canPrevious = false;
    bool canNext = false;
};

// What validating gives: the messages of every failing check, in order,
// and the new line when the line changes.
struct TObsEdit {
    std::vector<std::string> messages;
    std::optional<std::string> line;
};

// ---- text books
TObsView ShowTextLine(const std::vector<std::string>& lines, int index);
// The same from line `index` alone (already within [0, lineCount)) of a book
// of `lineCount` lines.
TObsView ShowTextLine(const std::string& line, int index, int lineCount);
// Checks the fields against the kind of `line` and builds the new line.
// A field left as ShowTextLine showed it keeps its text and is not checked
// again; a changed field is checked and written as typed (a decimal comma
// becomes a point, no digit is dropped). The words the form does not show
// (keywords and their units, such as Press_hPa, the words after the prism
// and the comment) stay. Nothing changed: no new line. A new (empty) line
// is checked whole. A prism line, a comment or any other line stays as it is.
TObsEdit ValidateTextLine(const std::string& line, const TObsFields& fields);

// ---- XML books
// The name of the element that begins the line: the word after its "<" up
// to the next blank ("obs", "station", "/rawdata>", ...); empty when none.
std::string XmlElementName(const std::string& line);
// The line to show from `index`: the nearest `station` or `obs` line in the
// direction of the last step (+1 or -1), else the nearest in the other
// direction; nullopt when the book has none.
std::optional<int> XmlShownIndex(const std::vector<std::string>& lines, int index, int direction);
// The fields of the `station` or `obs` element on line `index`.
TObsView ShowXmlLine(const std::vector<std::string>& lines, int index);
// Writes the fields into the element of line `index` (no check of the
// values) and gives the line back with the book's indentation. A message
// instead of a line when the book does not parse.
TObsEdit ValidateXmlLine(const std::vector<std::string>& lines, int index, const TObsFields& fields);

// The same steps on a book parsed once: the element of each line is found
// without parsing the book again (a million-pointing book takes a second).
// Validate edits its element and line in place; any other change of the
// book's lines calls for a new one.
class TXmlBookLines {
public:
    explicit TXmlBookLines(std::vector<std::string> lines);
    ~TXmlBookLines();
    TXmlBookLines(const TXmlBookLines&) = delete;
    TXmlBookLines& operator=(const TXmlBookLines&) = delete;

    std::optional<int> ShownIndex(int index, int direction) const;
    TObsView Show(int index) const;
    TObsEdit Validate(int index, const TObsFields& fields);

private:
    struct TParsed;
    std::vector<std::string> lines_;
    std::unique_ptr<TParsed> parsed_;
};

// "Ajouter" in an XML book: an empty `obs` after the observation of line
// `index` (first in its station when `index` is a station line). When the
// observations are numbered, it takes the next `num` and the following ones
// of the station are numbered one higher.
struct TXmlInsertion {
    std::vector<std::string> lines;  // the whole book after the insertion
    int index = -1;                  // the new element's line
    std::string message;             // why nothing was inserted
};
TXmlInsertion AddXmlObservation(const std::vector<std::string>& lines, int index);

// The indentation of a line written back into an XML book: `obs` 12 blanks,
// `rawdata` 9, `station` 6, `stations` 3 (opening or closing); any other
// line is returned as it is.
std::string IndentXmlLine(const std::string& line);

}  // namespace kestrova
