// gama-local, GNU Gama's adjustment program, for the interop tests: found
// through the environment variable GAMA_LOCAL, else the PATH. Tests that
// need it are skipped, saying so, when it is absent.
#pragma once
#include <string>

namespace exports_test {

// The program's path, or "" when it is not installed.
std::string GamaLocalPath();

struct GamaVerdict {
    bool accepted = false;   // parsed without error
    bool adjusted = false;   // and adjusted
    std::string error;       // gama-local's description of an error
    std::string xml;         // its XML output
};

// Runs gama-local on `gkf` (with --xml: it reports a rejected input as an
// <error> element).
GamaVerdict RunGamaLocal(const std::string& gkf);

// The adjusted x, y, z of point `id` from gama-local's XML output;
// false when the point is not there.
bool AdjustedPoint(const std::string& xml, const std::string& id, double* x, double* y, double* z);

}  // namespace exports_test

#define SKIP_WITHOUT_GAMA_LOCAL()                                                                    \
    if (exports_test::GamaLocalPath().empty())                                                       \
    GTEST_SKIP() << "gama-local absent (ni GAMA_LOCAL ni PATH) : test d'interopérabilité non exécuté"
