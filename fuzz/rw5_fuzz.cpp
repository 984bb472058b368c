// Carlson RW5 recordings imported (see recording_checks.hpp).
// seeds: tests/data/**/*.rw5
#include "recording_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::CheckRecording(fuzz::Lines(fuzz::Bytes(data, size)), kestrova::TRecordingFormat::Rw5);
    return 0;
}
