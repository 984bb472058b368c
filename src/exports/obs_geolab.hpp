// The Geolab input (".iob") of an observation file: records built from
// fixed templates into which the names and numbers are inserted at given
// columns, each insertion moving the rest of the line to the right.
//
// Names: the from name goes at column 11 and the next field (the to name,
// or the coordinates of a centring point) at column 24; a name of 14
// characters or more would be split by it, so the next field then starts
// one blank after the end of the name, and the fields after it move by as
// much. Angles are laid out from their numeric value: sign at column 50,
// whole gons ending at column 53, centigons, then cc with one decimal.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

// " DIST" line of a distance record, " DIR" (keyword " DIR") or " ZANG"
// line of an angle record. Throw ObsValueError for a standard deviation
// (or an angle) that is not a number, or an angle of 1000 gons or more
// (its whole gons do not fit their columns).
std::string GeolabObsDistanceLine(const ObsRecord& record);
std::string GeolabObsAngleLine(const std::string& keyword, const ObsRecord& record);

// The file record by record: the header at construction, Finish() for
// the footer. Control characters of names and comments become "?".
class TGeolabFromObs {
public:
    explicit TGeolabFromObs(TLineSink& sink);
    void Add(const ObsRecord& record);
    void Finish();

private:
    TPrintableSink sink_;
    std::string previous_;
};

void ProduceGeolabFromObs(const std::vector<ObsRecord>& records, TLineSink& sink);

}  // namespace kestrova
