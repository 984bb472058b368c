// The GNU Gama input (".gkf", gama-local) of an observation file and of
// the points of a coordinate file: free and constrained points with the
// covariance matrix of the constraints, then the direction sets, zenith
// angles, slope distances, height differences and centring vectors.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

// A comment line's text folded to ASCII for an XML comment: accented
// letters to their base letter, "°" and "-" to blanks, any other
// character outside ASCII to "?".
std::string GamaCommentText(const std::string& text);

// A standard deviation (or a variance) in the unit of a .gkf with
// `decimals`, or with the decimals it needs when these would show 0:
// gama-local refuses a zero one.
std::string GamaNonZeroText(double value, int decimals);

// A coordinate line whose numbers are wrong.
class CorValueError : public ObsValueError {
public:
    using ObsValueError::ObsValueError;
};

// The file record by record: the frame, the points and their constraints
// at construction, Finish() for the end. A record is written once the
// next observation record is known (it decides where a group closes), so
// only the records between two observations are held.
//
// A constrained coordinate whose standard deviation is 0 is fixed
// (gama-local refuses a covariance matrix with a zero variance); an
// observation whose standard deviation is 0 is refused (ObsValueError),
// and one that would round to 0 in its unit gets the decimals it needs.
// Throws ObsValueError (about the observation file) for a value or a
// standard deviation that is not a number, and CorValueError for a
// coordinate or a coordinate standard deviation.
class TGamaFromObs {
public:
    TGamaFromObs(const std::vector<CorRecord>& points, TLineSink& sink);
    ~TGamaFromObs();
    void Add(ObsRecord record);
    void Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

void ProduceGamaFromObs(const std::vector<ObsRecord>& records, const std::vector<CorRecord>& points, TLineSink& sink);

}  // namespace kestrova
