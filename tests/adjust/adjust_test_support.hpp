// What the adjustment tests share: gama-local (skipped, saying so, when it
// is absent) and the sources of the test networks.
#pragma once
#include <string>

#include <gtest/gtest.h>

#include "adjust/adjust_input.hpp"

namespace adjust_test {

// gama-local from the environment (GAMA_LOCAL, then the PATH), or "".
std::string GamaLocal();

// tests/data/adjust/NAME
std::string DataFile(const std::string& name);

// The source of the observation file `obs` and the coordinate file `cor`
// of tests/data/adjust, the heights exported as the example's ini says.
kestrova::AdjustSource Source(const std::string& obs, const std::string& cor);

}  // namespace adjust_test

#define SKIP_WITHOUT_GAMA()                                                                          \
    if (adjust_test::GamaLocal().empty())                                                            \
    GTEST_SKIP() << "gama-local absent (ni GAMA_LOCAL ni PATH) : test d'ajustement non exécuté"
