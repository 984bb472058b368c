// "Suppression des crapauds": a levelling book reduced to height
// differences, written as Brelix ".obs", Geolab ".iob" and GNU Gama ".gkf".
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "levelling/niv_model.hpp"

namespace kestrova {

class TLineSink;
class TLineSource;
class TProgress;

// Writes the three files as the differences come: the run header before
// the first difference of each run, the ".gkf" frame around them.
class TNivExportWriter {
public:
    // `gkfPath` and `stamp` ("dd-mm-yyyy hh:nn:ss") go into the ".gkf"
    // description; `decimals` is the number of decimals of its values.
    TNivExportWriter(TLineSink& obs, TLineSink& iob, TLineSink& gkf, const std::string& gkfPath,
                     const std::string& stamp, int decimals);
    void Add(int run, const Tdeniv& d);
    void Finish();

private:
    TPrintableSink obs_;  // no control character inside a column
    TPrintableSink iob_;
    TLineSink& gkf_;
    int decimals_;
    int headerRun_ = 0;
};

// The local date and time as the ".gkf" description writes it.
std::string NivTimeStamp();

struct TNivReduceResult {
    int runs = 0;         // runs of the book
    int differences = 0;  // 0: "Fichier réduit vide", nothing written
    std::vector<std::string> warnings;
    // Differences whose standard deviation would be written as 0: the
    // weighting is refused and nothing is written. "ligne N : A -> B", the
    // first 20 then a count.
    int zeroSigmaCount = 0;
    std::vector<std::string> zeroSigma;
    // Lines after the header that hold words, and those that look like a
    // book's ("Code=" lines and reading rows): none means the file is no
    // levelling book.
    long long textLines = 0;
    long long bookLines = 0;

    bool Written() const { return bookLines > 0 && differences > 0 && zeroSigmaCount == 0; }
};

// Reduces the book read from `source` and writes `obsPath` with ".obs",
// ".iob" and ".gkf", all or none: none when the book gives no height
// difference, or when a difference would carry a zero standard deviation.
// Throws TextFileError, TCancelled.
TNivReduceResult ReduceNa3Book(TLineSource& source, const std::string& obsPath, const TNivSettings& settings,
                               const std::string& stamp, TProgress& progress);

// The refusal of a weighting that gives zero standard deviations: the rows,
// and the modes to choose instead.
std::string ZeroSigmaMessage(const TNivReduceResult& result, const TNivSettings& settings);

// The run list of a book written the same way (runs numbered from 1).
void WriteNivExports(const TRunList& runs, TLineSink& obs, TLineSink& iob, TLineSink& gkf,
                     const std::string& gkfPath, const std::string& stamp, int decimals);

}  // namespace kestrova
