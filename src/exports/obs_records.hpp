// The records of a Brelix observation file (".obs") and of a Brelix
// coordinate file (".cor") as the converters to the other adjustment
// formats read them, and the renormalisation of the a priori standard
// deviations.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

// One line of an observation file. Texts are cut to their maximum length
// (characters): line 128, from/to/value 16, the other fields 10.
struct ObsRecord {
    std::string line;   // the trimmed line
    std::string code;   // "1" "3" "4" "5" "6" "7" "9"; "0" other text; "" empty line
    std::string from, to, value, sigma;
    std::string item6, item7 = "0.0000", item8 = "0.0000";
    int lineNumber = 0;  // 1-based line of the file
    bool IsObservation() const { return code.size() == 1 && code != "0"; }
};

// One point line of a coordinate file (first character 0, 1, 2 or 3).
struct CorRecord {
    std::string line;
    std::string code;  // "0" free, "1" fixed in 3D, "2" fixed in plan, "3" fixed in height
    std::string name, x, y, z, sigmaPlan, sigmaHeight;
    int lineNumber = 0;
};

// A field that must be a number and is not: the line (1-based) and what
// is wrong, in French ("écart type « abc » non numérique").
class ObsValueError : public std::runtime_error {
public:
    ObsValueError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The renormalisation command keeps the sign of the old standard deviation
// (zero or negative gives a negative result); the Geolab and GNU Gama
// conversions always give a positive one.
enum class RenormSign { Signed, Unsigned };

struct ObsReading {
    std::vector<ObsRecord> records;  // one per line
    bool observationMet = false;     // at least one observation code
};

// Reads the lines; when the parameter `renormalisation` is set, every
// observation's standard deviation is renormalised with the pair of its
// code: sqrt(add^2 + (factor * sigma)^2), written with 4 decimals. Throws
// ObsValueError when an observation's standard deviation is not a number.
ObsReading ReadObsLines(const std::vector<std::string>& lines, RenormSign sign, TProgress& progress = NoProgress());

// Whether a renormalisation pair changes anything (the Geolab conversion
// then also offers the renormalised observation file).
bool RenormalisationChangesSigmas();

// Point lines of a coordinate file; the others are left out.
std::vector<CorRecord> ReadCorLines(const std::vector<std::string>& lines);

// A plain decimal number as the adjustment programs read it: optional
// sign, digits, at most one point, no thousands separator, no exponent.
bool IsPlainNumber(const std::string& text);

// The number of a field read leniently: 0 when it is not a number.
double LenientNumber(const std::string& text);

// The number of a standard deviation; throws ObsValueError naming the line.
double SigmaNumber(const std::string& text, int line, const char* what = "écart type");

}  // namespace kestrova
