// The Geolab input (".iob") of an observation file: records built from
// fixed templates into which the names and numbers are inserted at given
// columns, each insertion moving the rest of the line to the right.
//
// Names: the from name goes at column 11 and the to name at column 24; a
// from name of 14 characters or more would be split by the to name, so
// the to name then starts one blank after the end of the from name.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

// " DIST" line of a distance record, " DIR" (keyword " DIR") or " ZANG"
// line of an angle record. Throw ObsValueError for a standard deviation
// (or an angle) that is not a number.
std::string GeolabObsDistanceLine(const ObsRecord& record);
std::string GeolabObsAngleLine(const std::string& keyword, const ObsRecord& record);

void ProduceGeolabFromObs(const std::vector<ObsRecord>& records, TLineSink& sink);

}  // namespace kestrova
