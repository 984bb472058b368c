// Sokkia SDR33 / SDR2x recordings imported (see recording_checks.hpp).
// seeds: tests/data/**/*.sdr
#include "recording_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::CheckRecording(fuzz::Lines(fuzz::Bytes(data, size)), kestrova::TRecordingFormat::Sdr);
    return 0;
}
