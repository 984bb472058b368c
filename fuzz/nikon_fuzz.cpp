// Nikon RAW recordings imported (see recording_checks.hpp), and the
// recognition of any input: a format it names is one the import reads.
// seeds: tests/data/**/*.raw tests/data/**/*.rw5 tests/data/**/*.sdr
#include "recording_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    fuzz::CheckRecording(lines, kestrova::TRecordingFormat::Nikon);
    const kestrova::TRecordingFormat seen = kestrova::RecogniseRecording(lines);
    if (seen != kestrova::TRecordingFormat::Unknown && seen != kestrova::TRecordingFormat::Shoot &&
        seen != kestrova::TRecordingFormat::Gdm)
        fuzz::CheckRecording(lines, seen);
    return 0;
}
