// Field books for the writer tests: read from text lines and reduced the
// way the reduction command does, with the parameter set restored after
// each test.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/param.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

namespace exports_test {

// Keeps a copy of the parameter set and puts it back at the end of a test.
class ParamScope {
public:
    ParamScope() : saved_(kestrova::Param()) {}
    ~ParamScope() { kestrova::Param() = saved_; }

private:
    kestrova::TParam saved_;
};

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        kestrova::Param() = kestrova::TParam();  // the defaults of a new ini
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(KESTROVA_TEST_TMP) / info->test_suite_name() / info->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    ParamScope params_;
    std::filesystem::path dir_;
};

inline kestrova::Tday_obs Reduce(const std::vector<std::string>& lines) {
    kestrova::Tday_obs book;
    book.LoadFromLines(lines);
    kestrova::BuildTargetsAndCheck(book);
    kestrova::CorrectAndReduce(book);
    return book;
}

// Station S1 at 12 degC / 760 mmHg (no atmospheric correction), height
// 1.550 m, two faces: opening target T1 and T2 at 100.0010 gon, V 99.0000
// (no index error), distances 50.0000 and 80.0000, target heights 1.600
// and 1.700.
inline std::vector<std::string> TwoFaceStationLines() {
    return {
        " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 100.0010 AV_gr 99.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
        "  numero T2 AH_gr 300.0010 AV_gr 301.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
        "  numero T1 AH_gr 200.0000 AV_gr 300.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
    };
}

// An invalid station: 45 degC.
inline std::vector<std::string> HotStationLines(const std::string& name = "S9") {
    return {
        " station " + name + " Temp_deg 45.0 Press_mmHg 760.0 ht_m 1.400",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 50.0000 AV_gr 100.0000 Dp_m 0.0000 ppm_cste_mm 0000+000 hv_m 1.600",
    };
}

inline std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Raw bytes of a file, "" when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Lines of a CR LF file, decoded to UTF-8 from Windows-1252.
std::vector<std::string> ReadCrLfLines(const std::filesystem::path& path);

}  // namespace exports_test
