// The "_out.gsi" file: the reduced values given back as Leica GSI words,
// one station line per valid station followed by one measurement line per
// target.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// An 8-character GSI data field: right-aligned in 8 characters, every
// blank turned into "0"; a longer text is not cut.
std::string GsiField(const std::string& text);
std::string GsiNumber(double value);  // "%8.0f", blanks turned into "0"

void ProduceGsiFile(const Tday_obs& book, TLineSink& sink);
std::vector<std::string> GsiFileLines(const Tday_obs& book);

// Atomic write; false with the reason in *error on failure.
bool WriteGsiFile(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
