// Reading a levelling book back: the six header lines are skipped, a
// "Code=" line opens a run, every other row with a reading joins the
// current run (rows before the first "Code=" line open a run of their own).
// Kept apart from the reduction so that other tools (renaming points in a
// book) can walk a book row by row.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "levelling/niv_model.hpp"

namespace kestrova {

// The words of one book row: name, backsight, foresight, intermediate,
// count, E.M.Q. (word 7) and distance (word 9); a word that is not a plain
// number reads 0, and when `unreadable` is given each such word is added
// to it as "<what the word holds> \"<text>\"". False for a row without words.
bool ReadNa3Row(std::string_view line, Tobs_niv& obs, std::vector<std::string>* unreadable = nullptr);

// True when the row opens a run (its first word is "Code=").
bool IsNa3RunLine(std::string_view line);

// A row of the book carries a reading when one of its values is not 0.
bool HasReading(const Tobs_niv& obs);

class TNa3BookReader {
public:
    // With `warnings`, each word read as 0 because it is not a number is
    // reported, naming the line and what the word holds.
    explicit TNa3BookReader(TNivWarnings* warnings = nullptr) : warnings_(warnings) {}
    struct Step {
        bool opensRun = false;  // a new run starts with this line
        bool reading = false;   // `obs` holds a reading of the current run
    };
    // Feeds the next line of the book (header lines included).
    Step AddLine(std::string_view line, Tobs_niv& obs);
    int Runs() const { return runs_; }
    // Lines after the header that are not blank nor "*" notes, and those of
    // them that look like a book's (a "Code=" line, or a row whose second
    // and third words, the backsight and foresight, are numbers).
    long long TextLines() const { return textLines_; }
    long long BookLines() const { return bookLines_; }

private:
    TNivWarnings* warnings_;
    long long lineNumber_ = 0;
    int runs_ = 0;
    long long textLines_ = 0, bookLines_ = 0;
    std::vector<std::string> unreadable_;
};

// What a levelling command says when a file holds no line of a book.
std::string NotANa3BookMessage();

// The whole book in memory: each run with its source lines and readings.
TRunList ReadNa3Book(const std::vector<std::string>& lines);

}  // namespace kestrova
