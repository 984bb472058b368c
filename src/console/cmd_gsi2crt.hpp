// Console command "gsi2crt": a Leica GSI recording to a text field book.
#pragma once
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// The header style is the one the conversion dialog proposes from the
// recording's first station header, else the style of the parameters.
// `out` is written under that exact name. Returns 0, or 1 (nothing
// written, the reason on stderr).
int RunGsi2Crt(const std::string& in, const std::string& out, TProgress& progress);

}  // namespace kestrova
