// The levelling model: levelling lines (runs) of staff readings, and the
// height differences left once the turning points are eliminated.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova {

// One staff reading. Readings in metres, 0 when absent; E.M.Q. in mm.
struct Tobs_niv {
    std::string name;
    double backsight = 0.0;
    double foresight = 0.0;
    double intermediate = 0.0;
    int count = 0;        // number of measurements
    double emq = 0.0;     // standard deviation of the reading, mm
    double distance = 0.0;
    double altitude = 0.0;
};

// One height difference (metres). A comment entry has a non-empty comment
// and no meaning in its other fields.
struct Tdeniv {
    std::string from, to;
    double dh = 0.0;
    double sigma = 0.0;  // metres
    int orientation = 1;
    std::string comment;
};

// One levelling line: its readings with their source lines, and its
// height differences with their Brelix records.
struct Tcheminement {
    std::vector<std::pair<std::string, Tobs_niv>> observations;
    std::vector<std::pair<std::string, Tdeniv>> denivs;
};

// Runs in the order they were met, each with the line that opened it.
using TRunList = std::vector<std::pair<std::string, Tcheminement>>;

// How the standard deviation of a height difference is made.
enum class TWeighting {
    Default = 0,   // from the level's E.M.Q. values
    Distance = 1,  // sigma * sqrt(D)
    Count = 2,     // sigma * sqrt(n)
};

struct TNivSettings {
    TWeighting mode = TWeighting::Count;
    double sigma = 0.1;  // reference standard deviation, mm
};

// The weighting choice of the dialog or the command line: "0", "1", "2".
bool ParseWeighting(std::string_view text, TWeighting& mode);
// A reference standard deviation: a plain decimal number above 0.
bool ParseReferenceSigma(std::string_view text, double& sigma);
// The settings once the weighting dialog closes: the selected button (-1
// none, giving mode 0) and the text of the sigma field (kept from
// `previous` when it is not a valid reference).
TNivSettings WeightingDialogResult(const TNivSettings& previous, int selectedButton, std::string_view sigmaText);

// Turning points are the staff points 700000 to 799999 (integer names).
bool IsTurningPoint(std::string_view name);

// Standard deviation in metres of a difference made of `n` readings whose
// squared E.M.Q. (mm^2) sum to `v` and distances (m) to `d`.
double DenivSigma(const TNivSettings& settings, double v, double d, int n);

// A levelling command that cannot go on (a value that cannot be read);
// French message naming the line.
class TNivError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Warnings of one command, French, one line each: the first 20, then a
// count of the others.
class TNivWarnings {
public:
    void Add(std::string text);
    std::vector<std::string> Lines() const;
    bool Empty() const { return lines_.empty(); }

private:
    std::vector<std::string> lines_;
    int more_ = 0;
};

}  // namespace kestrova
