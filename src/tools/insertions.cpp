#include "tools/insertions.hpp"

#include <cmath>

#include "base/decimal_comma.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

// A value as typed in a dialog, "," or "." as decimal separator.
std::optional<double> Number(const std::string& typed) {
    const std::string text = WithDecimalPoint(typed);
    if (!IsNumericText(text, true)) return std::nullopt;
    return TextToDouble(text, true);
}

// A value rounded to an integer count of `unitsPerOne` (10 for tenths),
// ties to even on the value as typed: 0.25 gives 2, 1.0015 m gives 1002 mm.
long long RoundedUnits(double value, double unitsPerOne) {
    return std::llround(RoundHalfEven(value * unitsPerOne, 0));
}

// The instrument height of the field-book form: one decimal as the header
// has always been written ("1.5"), more when the height has them, so that
// 1.542 m is not written 1.5 (at most 4 decimals, like the other heights).
std::string HeightText(double height) {
    for (int decimals = 1; decimals < 4; ++decimals)
        if (std::fabs(RoundHalfEven(height, decimals) - RoundHalfEven(height, 4)) < 1e-9)
            return FormatFixed(height, decimals);
    return FormatFixed(height, 4);
}

// A name is one word of the line it goes in: empty, or with a blank or a
// control character inside, it would shift the fields read after it (a prism
// "MI NI" would be read as "MI" without its constant). In a book a "*" starts
// the comment and cuts the line too.
bool BadName(const std::string& name, bool book) {
    const std::string t = Trim(name);
    if (t.empty()) return true;
    for (const char c : t)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f' || (book && c == '*')) return true;
    return false;
}

}  // namespace

TStationFormat DefaultStationFormat(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (line.find("station") != std::string::npos) return TStationFormat::Carnet;
    return TStationFormat::Gsi;
}

TStationFormat DefaultStationFormatOfText(std::string_view text) {
    return text.find("station") != std::string_view::npos ? TStationFormat::Carnet : TStationFormat::Gsi;
}

std::string GsiZeroPadded(const std::string& text) {
    std::string padded = PadLeft(text, 8);
    for (char& c : padded)
        if (c == ' ') c = '0';
    return padded;
}

TStationHeaderResult BuildStationHeader(const TStationHeaderInput& in) {
    TStationHeaderResult r;
    const auto temperature = Number(in.temperature);
    const auto pressure = Number(in.pressure);
    const auto height = Number(in.height);
    r.badName = BadName(in.name, true);
    r.badTemperature = !temperature;
    r.badPressure = !pressure;
    r.badHeight = !height;
    if (r.badName || r.badTemperature || r.badPressure || r.badHeight) return r;
    if (in.format == TStationFormat::Carnet) {
        r.line = Format(" station %-16s Temp_deg %.1f Press_mmHg %.1f  ht_m ", in.name, *temperature, *pressure) +
                 HeightText(*height);
    } else {
        r.line = "410001+" + GsiZeroPadded(in.name) + " 42....+" +
                 GsiZeroPadded(std::to_string(RoundedUnits(*temperature, 10))) + " 43....+" +
                 GsiZeroPadded(std::to_string(RoundedUnits(*pressure, 10))) + " 44....+" +
                 GsiZeroPadded(std::to_string(RoundedUnits(*height, 1000)));
    }
    return r;
}

static TDefinitionResult BuildDefinition(const char* fmt, const std::string& name, const std::string& value) {
    TDefinitionResult r;
    const auto number = Number(value);
    r.badName = BadName(name, true);
    r.badValue = !number;
    if (!r.badName && !r.badValue) r.line = Format(fmt, name, *number);
    return r;
}

TDefinitionResult BuildPrismDefinition(const std::string& name, const std::string& constant) {
    return BuildDefinition(" prisme %-16s cste_m %.4f ", name, constant);
}

TDefinitionResult BuildHeightDefinition(const std::string& name, const std::string& height) {
    return BuildDefinition(" point %-16s hv_m %.4f ", name, height);
}

TCentringResult BuildCentringEquation(const TCentringInput& in) {
    TCentringResult r;
    const auto height = Number(in.height);
    const auto sigmaHeight = Number(in.sigmaHeight);
    const auto sigmaCentring = Number(in.sigmaCentring);
    r.badHeight = !height;
    r.badSigmaHeight = !sigmaHeight || *sigmaHeight == 0.0;
    r.badSigmaCentring = !sigmaCentring || *sigmaCentring == 0.0;
    r.badFrom = BadName(in.from, false);
    r.badTo = BadName(in.to, false);
    if (r.badHeight || r.badSigmaHeight || r.badSigmaCentring || r.badFrom || r.badTo) return r;
    const char* fmt = "%d %-16s %-16s %.4f %.4f %.4f %.4f %.4f";
    r.lines.push_back(Format(fmt, 9, in.from, in.to, 0.0, *sigmaCentring, 0.0, 0.0, 0.0));
    r.lines.push_back(Format(fmt, 4, in.from, in.to, *height, *sigmaHeight, 0.0, 0.0, 0.0));
    r.lines.emplace_back();
    return r;
}

}  // namespace kestrova
