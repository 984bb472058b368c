// The GNU Gama input (".gkf", gama-local) of a reduced field book: one
// `obs` element per valid station holding its directions, zenith angles
// and slope distances.
#pragma once
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

void ProduceGamaFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink);
std::vector<std::string> GamaFileLines(const Tday_obs& book, const std::string& path, const TExportTime& time);

// Atomic write; false with the reason in *error on failure.
bool WriteGamaFile(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
