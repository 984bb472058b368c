// The records of a Brelix observation file (".obs") and of a Brelix
// coordinate file (".cor") as the converters to the other adjustment
// formats read them, and the renormalisation of the a priori standard
// deviations.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/field_number.hpp"
#include "base/progress.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

class TLineSource;

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
    // A number after the five numeric fields: the line holds one field
    // more than its layout, as when the name holds a blank ("P 1").
    std::string extraNumber;
    int lineNumber = 0;
};

// A field that must be a number and is not: the line (1-based) and what
// is wrong, in French ("écart type « abc » non numérique").
class ObsValueError : public TFieldValueError {
public:
    using TFieldValueError::TFieldValueError;
};

// The renormalisation command keeps the sign of the old standard deviation
// (zero or negative gives a negative result); the Geolab and GNU Gama
// conversions always give a positive one.
enum class RenormSign { Signed, Unsigned };

struct ObsReading {
    std::vector<ObsRecord> records;  // one per line
    bool observationMet = false;     // at least one observation code
    std::vector<std::string> warnings;
};

// Reads an observation file record by record, holding none but the one
// it returns.
//
// Every numeric field of an observation line (value, standard deviation,
// the sixth field, the two heights) must be a plain decimal number: any
// other text throws ObsValueError naming the line and the field. A line
// laid out in the columns of the observation file (code, two names of 16
// characters, then the numbers) whose name holds a blank is read by its
// columns, so the blank cannot shift the fields; the blank becomes "_"
// (the files written from it are blank-separated), with a warning. When
// the parameter `renormalisation` is set, every observation's standard
// deviation is renormalised with the pair of its code:
// sqrt(add^2 + (factor * sigma)^2), written with 4 decimals.
class TObsRecordReader {
public:
    TObsRecordReader(TLineSource& source, RenormSign sign, TProgress& progress = NoProgress());
    // The next record; false at the end.
    bool Next(ObsRecord& record);
    bool ObservationMet() const { return observationMet_; }
    // The warnings so far (at most 20, then a count).
    std::vector<std::string> Warnings() const;

private:
    void Warn(std::string text);

    TLineSource& source_;
    RenormSign sign_;
    TProgress& progress_;
    std::string raw_;
    TLineFields fields_;
    int number_ = 0;
    bool observationMet_ = false;
    std::vector<std::string> warnings_;
    int moreWarnings_ = 0;
    // Names longer than the 16 characters the files hold, by their cut form:
    // two of them alike in their first 16 would become one point.
    std::map<std::string, std::string> longNames_;
};

// All records of the lines at once (the same rules).
ObsReading ReadObsLines(const std::vector<std::string>& lines, RenormSign sign, TProgress& progress = NoProgress());

// Whether a renormalisation pair changes anything (the Geolab conversion
// then also offers the renormalised observation file).
bool RenormalisationChangesSigmas();

// Point lines of a coordinate file; the others are left out.
std::vector<CorRecord> ReadCorLines(const std::vector<std::string>& lines);

// A plain decimal number as the adjustment programs read it: optional
// sign, digits, at most one point, no thousands separator, no exponent,
// below 10^15 in magnitude.
bool IsPlainNumber(const std::string& text);

// The number of a field already checked by the reader (0 for an empty one).
double LenientNumber(const std::string& text);

// The number of a field that must hold one; throws ObsValueError naming
// the line and the field.
double SigmaNumber(const std::string& text, int line, const char* what = "écart type");

}  // namespace kestrova
