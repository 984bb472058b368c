// Zeiss / Trimble M5 recordings imported as total-station recordings and as
// DiNi levelling recordings (see recording_checks.hpp).
// seeds: tests/data/**/*.m5
#include "recording_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    fuzz::CheckRecording(lines, kestrova::TRecordingFormat::M5);
    fuzz::CheckRecording(lines, kestrova::TRecordingFormat::M5Levelling);
    return 0;
}
