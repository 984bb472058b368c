// The check listing (".chk") of a reduction: per station the raw data, the
// pointings sorted by circle and target with their residuals, the counts,
// the verdict, the messages and the reduced values.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

void ProduceCheckListing(const Tday_obs& book, TLineSink& sink);
std::vector<std::string> CheckListingLines(const Tday_obs& book);

// Atomic write; false with the reason in *error on failure.
bool WriteCheckListing(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
