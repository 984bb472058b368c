// GNU Gama's verdict on a .gkf the binary wrote, through check-gkf.sh
// (beside the project's checkout, or named by CHECK_GKF).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "e2e/run_binary.hpp"

namespace e2e {

// check-gkf.sh's verdict; "" when the tool is absent.
inline std::string GamaVerdict(const std::filesystem::path& gkf) {
    const std::filesystem::path tool =
        std::getenv("CHECK_GKF") ? std::filesystem::path(std::getenv("CHECK_GKF"))
                                 : std::filesystem::path(KESTROVA_TEST_DATA) / ".." / ".." / ".." / "shared" / "tools" /
                                       "check-gkf.sh";
    if (!std::filesystem::exists(tool)) return "";
    const std::string cmd = "bash " + ShellQuote(tool.string()) + " " + ShellQuote(gkf.string()) + " 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// gama-local takes the file: adjusted, or read with nothing to adjust for
// lack of points.
inline void ExpectGamaTakes(const std::filesystem::path& gkf) {
    const std::string verdict = GamaVerdict(gkf);
    if (verdict.empty()) {
        std::cout << "check-gkf.sh absent: " << gkf << " not checked by gama-local\n";
        return;
    }
    EXPECT_TRUE(verdict.rfind("ADJUSTED", 0) == 0 ||
                (verdict.rfind("NOT-ADJUSTABLE", 0) == 0 && verdict.find("No points available") != std::string::npos))
        << gkf << " : " << verdict;
}

}  // namespace e2e
