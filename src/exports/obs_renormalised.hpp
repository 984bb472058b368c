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

void ProduceRenormalisedObs(const std::vector<ObsRecord>& records, const TExportTime& time, TLineSink& sink);

}  // namespace kestrova
