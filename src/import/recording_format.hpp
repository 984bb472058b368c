// Recognition of an instrument recording from its content (the extension
// is not looked at): the first lines of the file decide.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

enum class TRecordingFormat { Unknown, Gsi, GsiLevelling, Gdm, Shoot, M5, M5Levelling, Sdr, Rw5, Nikon };

// How many lines recognition looks at.
constexpr std::size_t kRecognitionLines = 400;

// The format of a recording from its first lines (UTF-8, without line
// ends); Unknown when nothing fits.
TRecordingFormat RecogniseRecording(const std::vector<std::string>& firstLines);

// The value of --format ("gsi", "gdm", "shoot", "m5", "sdr", "rw5",
// "nikon"), nullopt for any other; a levelling recording of GSI or M5 is
// told apart by its content afterwards (RefineFormat).
std::optional<TRecordingFormat> FormatFromName(std::string_view name);
// GSI / M5 given by name: levelling or total station from the lines.
TRecordingFormat RefineFormat(TRecordingFormat named, const std::vector<std::string>& firstLines);

// French name shown to the user: "Sokkia SDR33 / SDR2x"...
std::string FormatTitle(TRecordingFormat format);
bool IsLevellingFormat(TRecordingFormat format);

}  // namespace kestrova
