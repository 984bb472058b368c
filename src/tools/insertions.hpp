// Ready-made lines inserted into a document: a station header (field-book or
// GSI form), a prism definition, a target-height definition and a centring
// equation of an adjustment observation file. Each builder checks its
// fields and reports every invalid one; a line is given only when all are
// valid.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// ---- station header
enum class TStationFormat { Gsi = 0, Carnet = 1 };

// "carnet" when a line of the document holds "station", else "gsi".
TStationFormat DefaultStationFormat(const std::vector<std::string>& lines);
// The same on the whole text (a line holds "station" when the text does).
TStationFormat DefaultStationFormatOfText(std::string_view text);

struct TStationHeaderInput {
    std::string name, temperature, pressure, height;
    TStationFormat format = TStationFormat::Carnet;
};
struct TStationHeaderResult {
    bool badName = false, badTemperature = false, badPressure = false, badHeight = false;
    std::optional<std::string> line;
};
TStationHeaderResult BuildStationHeader(const TStationHeaderInput& input);

// A GSI word value: right-aligned in 8 characters, every blank then a "0"
// (longer texts are kept whole).
std::string GsiZeroPadded(const std::string& text);

// ---- prism and height definitions
struct TDefinitionResult {
    bool badName = false, badValue = false;
    std::optional<std::string> line;
};
// " prisme %-16s cste_m %.4f "
TDefinitionResult BuildPrismDefinition(const std::string& name, const std::string& constant);
// " point %-16s hv_m %.4f "
TDefinitionResult BuildHeightDefinition(const std::string& name, const std::string& height);

// ---- centring equation
struct TCentringInput {
    std::string from, to, height, sigmaHeight, sigmaCentring;
};
struct TCentringResult {
    bool badFrom = false, badTo = false, badHeight = false, badSigmaHeight = false, badSigmaCentring = false;
    std::vector<std::string> lines;  // the three lines put at the top, empty when a field is invalid
};
TCentringResult BuildCentringEquation(const TCentringInput& input);

}  // namespace kestrova
