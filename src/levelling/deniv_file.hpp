// Files of height differences (Brelix ".obs" and Geolab ".iob" records,
// comments): reading, the two sorts into ".tri" files and the conversion
// from ".iob" to ".obs".
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "levelling/niv_model.hpp"

namespace kestrova {

class TLineSource;
class TProgress;

// One entry per record: a line with a "*" note becomes a comment entry
// (its text after the first "*"); a line whose first word is "4" or "OHDF"
// a height difference (words 2 to 5); other lines are skipped. A value or
// sigma that is not a number reads 0, with one warning naming the line
// (the lenient reading; the commands below stop on it instead).
std::vector<Tdeniv> ReadDenivFile(TLineSource& source, TNivWarnings& warnings);

// A file the commands refuse: a height difference or standard deviation
// that is not a number (line and field named), or no height difference at
// all (not a file of height differences). Nothing is written.
class TDenivFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Groups the differences by pair of points whatever their direction (by
// their Brelix records, letter case ignored), each kept in the direction
// in which it was read.
void SortDenivs(std::vector<Tdeniv>& entries);

enum class TDenivOutput {
    SortedBrelix,  // sorted, Brelix records
    SortedGeolab,  // sorted, Geolab records
    Brelix,        // in input order, Brelix records (iob -> obs)
};

// Lines of the output file.
std::vector<std::string> DenivFileLines(const std::vector<Tdeniv>& entries, TDenivOutput output);

// The command: reads `source` (named `sourceName` in messages), writes
// `out`. The conversion streams; the sorts hold each entry as one compact
// record (its sort key and names in blocks of text, its two numbers).
// Returns the warnings (the count of lines that are neither records nor
// comments, when they are the most); throws TDenivFileError (nothing
// written), TextFileError, TCancelled.
std::vector<std::string> ConvertDenivFile(TLineSource& source, const std::string& out, TDenivOutput output,
                                          TProgress& progress, const std::string& sourceName = {});

}  // namespace kestrova
