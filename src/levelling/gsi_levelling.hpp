// Digital-level GSI recordings (GSI8 and GSI16) turned into a levelling
// book. Runs open at "41" lines; "11" lines are staff readings, classified
// by their words (331/335 back, 332/336 fore, 333 intermediate) into
// set-ups whatever the order of the method (BF, BFFB, aBF, aBFFB). Double
// readings are averaged with the first reading of the same point in the
// same set-up, so the book has one backsight row and one foresight row per
// set-up, the backsight first.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "levelling/niv_model.hpp"

namespace kestrova {

class TLineSink;
class TLineSource;
class TProgress;

// What one reading line holds.
struct TNivGsiReading {
    Tobs_niv obs;  // averaged when the line holds both readings of a kind
    bool b1 = false, b2 = false;   // words 331 / 335
    bool f1 = false, f2 = false;   // words 332 / 336
    double b1Value = 0, b2Value = 0, f1Value = 0, f2Value = 0;
    bool intermediate = false;     // word 333
    bool summary = false;          // station summary words (571-574) only
};

// Decodes one reading line ("11..." or "*11..."). `lineNumber` (from 1)
// names the line in messages. Throws TNivError when a reading word is not
// a number; an unknown unit character gives 0 and one warning.
TNivGsiReading DecodeNivGsiLine(std::string_view line, int lineNumber, TNivWarnings& warnings);

// Builds the book as the recording streams by: rows go to `sink` once
// their set-up is complete and no trailing backsight can follow them.
class TNa3BookBuilder {
public:
    TNa3BookBuilder(TLineSink& sink, TNivWarnings& warnings);
    ~TNa3BookBuilder();
    void AddLine(std::string_view line);  // throws TNivError
    // Throws TNivError when the lines held no GSI block or no staff
    // reading (the file is not a levelling recording).
    void Finish();
    int Runs() const;  // runs written (with at least one reading)

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The whole conversion on lines in memory.
std::vector<std::string> GsiToNa3(const std::vector<std::string>& lines, TNivWarnings* warnings = nullptr);

// The conversion command: the book is written to `out` through an output
// set, only when the whole recording was converted. Returns the warnings;
// throws TNivError (nothing written), TextFileError, TCancelled.
std::vector<std::string> ConvertGsiToNa3(TLineSource& source, const std::string& out, TProgress& progress);

}  // namespace kestrova
