// The GNU Gama input (".gkf", gama-local) of a reduced field book: one
// `obs` element per valid station holding its directions, zenith angles
// and slope distances.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "exports/export_common.hpp"
#include "base/line_sink.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// One observation line: `element` is "direction", "z-angle" or
// "s-distance"; `valueText` is the value already formatted.
std::string GamaObservationLine(const std::string& element, const std::string& target,
                                const std::string& valueText, double stdev, bool heights, double fromDh,
                                double toDh);

// gama-local refuses a file holding an observation whose standard
// deviation is zero, too small (under 0.000001 cc or mm) or no finite
// number. The writer takes them from the ini's [ecarttype] keys: one that
// the file would carry so stops the writing with this error, whose text
// names the key.
class GamaStdevError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The French message for the first ini standard deviation that gama-local
// would refuse in the file `path` of `book` (sigma_Hz for the directions,
// sigma_V for the zenith angles, sigma_Dp for the slope distances, each
// only when the file holds such observations); "" when it takes them all.
std::string GamaUnusableStdevMessage(const Tday_obs& book, const std::string& path);

// Throws GamaStdevError (before any line is given to `sink`) when
// GamaUnusableStdevMessage() finds one.
void ProduceGamaFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink);
std::vector<std::string> GamaFileLines(const Tday_obs& book, const std::string& path, const TExportTime& time);

// Atomic write; false with the reason in *error on failure.
bool WriteGamaFile(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
