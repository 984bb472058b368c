// Console command "shoot2crt": a monitoring shot log (".shoot") to a text
// field book and an XML field book, each cycle one station.
#pragma once
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// Writes `out` with its extension replaced by ".crt" and by ".xcrt",
// together (neither when the conversion fails, nor for a file without any
// shot). Returns 0, or 1 (nothing written, the reason on stderr).
int RunShoot2Crt(const std::string& in, const std::string& out, TProgress& progress);

}  // namespace kestrova
