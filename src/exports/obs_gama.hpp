// The GNU Gama input (".gkf", gama-local) of an observation file and of
// the points of a coordinate file: free and constrained points with the
// covariance matrix of the constraints, then the direction sets, zenith
// angles, slope distances, height differences and centring vectors.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

// A comment line's text folded to ASCII for an XML comment: accented
// letters to their base letter, "°" and "-" to blanks, any other
// character outside ASCII to "?".
std::string GamaCommentText(const std::string& text);

// Throws ObsValueError (about the observation file) for a value or a
// standard deviation that is not a number, and CorValueError for a
// coordinate or a coordinate standard deviation.
void ProduceGamaFromObs(const std::vector<ObsRecord>& records, const std::vector<CorRecord>& points, TLineSink& sink);

// A coordinate line whose numbers are wrong.
class CorValueError : public ObsValueError {
public:
    using ObsValueError::ObsValueError;
};

}  // namespace kestrova
