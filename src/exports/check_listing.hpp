// The check listing (".chk") of a reduction: per station the raw data, the
// pointings sorted by circle and target with their residuals, the counts,
// the verdict, the messages and the reduced values.
#pragma once
#include <string>
#include <vector>

#include "fieldbook/model.hpp"

namespace kestrova {

std::vector<std::string> CheckListingLines(const Tday_obs& book);

// Atomic write; false with the reason in *error on failure.
bool WriteCheckListing(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
