// The Geolab input (".iob") of a reduced field book: the header of the ini
// file, the a priori standard deviations, then the direction sets, zenith
// angles and distances of every valid station in fixed columns.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/line_sink.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// Inserts `text` so that it starts at the 1-based character column `column`
// of `line`, pushing the rest of the line to the right (blanks are added
// first when the line is shorter).
void InsertAtColumn(std::string& line, std::size_t column, std::string_view text);

// Observation lines built from their templates.
std::string GeolabAngleLine(const std::string& keyword, const std::string& station, const std::string& target,
                            double angle);
std::string GeolabDistanceLine(const std::string& station, const std::string& target, double distance);

void ProduceGeolabFile(const Tday_obs& book, TLineSink& sink);
std::vector<std::string> GeolabFileLines(const Tday_obs& book);

// Atomic write; false with the reason in *error on failure.
bool WriteGeolabFile(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
