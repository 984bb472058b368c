// The renormalised observation file: the records of an observation file
// written again in the Brelix line format with their new standard
// deviations, one block per kind of observation.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "exports/export_common.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

// The line of one observation record in the Brelix format (code 1 has
// none: empty).
std::string RenormalisedObsLine(const ObsRecord& record);

// The file record by record: its first line at construction. Control
// characters of names and comments become "?".
class TRenormalisedObs {
public:
    TRenormalisedObs(const TExportTime& time, TLineSink& sink);
    void Add(const ObsRecord& record);

private:
    TPrintableSink sink_;
    std::string previous_;  // code of the last record written; none at first
};

void ProduceRenormalisedObs(const std::vector<ObsRecord>& records, const TExportTime& time, TLineSink& sink);

}  // namespace kestrova
