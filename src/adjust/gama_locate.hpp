// Where GNU Gama's gama-local is and which version it is. It is looked for,
// in this order, at the ini key "gama_local" (section [general]), the
// environment variable GAMA_LOCAL, then the PATH.
#pragma once
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// What the user is told when gama-local cannot be found.
extern const char* const kGamaLocalAbsent;

// kGamaLocalAbsent, after the place that was set and is wrong when one is
// (the ini key, then GAMA_LOCAL, as FindGamaLocal takes them): the user
// who set it is told which path does not hold the program.
std::string GamaLocalAbsentText(const std::string& iniValue, const char* envValue);
std::string GamaLocalAbsentText();

// The path of gama-local, or "" when none of the three places gives an
// executable file. `iniValue` is the ini key's value ("" when unset);
// `envValue` and `pathValue` those of GAMA_LOCAL and PATH (null: unset).
std::string FindGamaLocal(const std::string& iniValue, const char* envValue, const char* pathValue);

// The same from the ini file and the environment of the process.
std::string FindGamaLocal();

// The version gama-local gives with --version ("2.24"), or "" when it
// prints none. Throws ChildStartError, TCancelled.
std::string GamaLocalVersion(const std::string& program, TProgress& progress = NoProgress());

}  // namespace kestrova
