#include "import/recording_format.hpp"

#include <cctype>

#include "base/text_helpers.hpp"
#include "import/m5_line.hpp"

namespace kestrova {

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// A GSI block: "11" or "41" (after the "*" of GSI16), four characters,
// then the sign of the first word's data.
bool IsGsiLine(std::string_view line) {
    if (!line.empty() && line[0] == '*') line.remove_prefix(1);
    if (line.size() < 8) return false;
    const std::string_view wi = line.substr(0, 2);
    return (wi == "11" || wi == "41") && (line[6] == '+' || line[6] == '-');
}

// A GSI reading of a digital level: a word 331 to 336 or 573/574.
bool HasLevellingWord(std::string_view line) {
    for (std::size_t i = 0; i + 3 <= line.size(); ++i) {
        if (i > 0 && line[i - 1] != ' ') continue;
        const std::string_view w = line.substr(i, 3);
        if ((w[0] == '3' && w[1] == '3' && w[2] >= '1' && w[2] <= '6') || w == "573" || w == "574") return true;
    }
    return false;
}

bool IsGdmLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && Digit(line[i])) ++i;
    return i >= 1 && i <= 3 && i < line.size() && line[i] == '=';
}

bool IsGdmMeasureLabel(std::string_view line) {
    const std::size_t eq = line.find('=');
    const std::string_view label = line.substr(0, eq);
    return label == "2" || label == "5" || label == "7" || label == "8" || label == "9" || label == "17" ||
           label == "18";
}

bool IsShootHeader(std::string_view line) {
    const std::string upper = ToUpperAscii(line);
    int found = 0;
    for (const char* name : {"DATE", "TIME", "CYCLE", "TARGET", "HZ", "DIST", "FOUND"})
        if (upper.find(name) != std::string::npos) ++found;
    return found >= 5 && upper.find("CYCLE") != std::string::npos && upper.find("TARGET") != std::string::npos;
}

// An SDR record head: two digits then two letters or digits.
bool IsSdrRecord(std::string_view line) {
    return line.size() >= 4 && Digit(line[0]) && Digit(line[1]) && std::isalnum(static_cast<unsigned char>(line[2])) &&
           std::isalnum(static_cast<unsigned char>(line[3])) && !std::islower(static_cast<unsigned char>(line[2]));
}

std::string CodeOf(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos || comma > 3) return {};
    return std::string(line.substr(0, comma));
}

}  // namespace

TRecordingFormat RecogniseRecording(const std::vector<std::string>& firstLines) {
    int lines = 0, gsi = 0, gsiLevelling = 0, gdm = 0, gdmMeasure = 0, m5 = 0, m5Levelling = 0, m5Points = 0;
    int sdr = 0, sdrHeader = 0, sdrObs = 0, rw5 = 0, rw5Strong = 0, nikon = 0, nikonStrong = 0;
    bool shootHeader = false, first = true;
    // A carriage return ends a line too (recordings with CR-only line ends).
    std::vector<std::string_view> pieces;
    for (const std::string& raw : firstLines) {
        std::string_view rest = raw;
        while (!rest.empty() && pieces.size() < kRecognitionLines * 4) {
            const std::size_t cr = rest.find('\r');
            pieces.push_back(rest.substr(0, cr));
            if (cr == std::string_view::npos) break;
            rest.remove_prefix(cr + 1);
        }
    }
    for (std::string_view line : pieces) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\x1a'))
            line.remove_suffix(1);
        if (!line.empty() && (line[0] == '\x02' || line[0] == '\x03')) continue;  // SDR transmission marks
        if (TrimView(line).empty()) continue;
        ++lines;
        if (first) {
            shootHeader = IsShootHeader(line);
            first = false;
        }
        if (IsGsiLine(line)) {
            ++gsi;
            if (HasLevellingWord(line)) ++gsiLevelling;
        }
        if (IsGdmLine(line)) {
            ++gdm;
            if (IsGdmMeasureLabel(line)) ++gdmMeasure;
        }
        if (IsM5Line(line)) {
            ++m5;
            const TM5Line l = ParseM5Line(line);
            if (l.kind == "TO" || StartsWith(l.kind, "KD") || StartsWith(l.kind, "KN")) ++m5Levelling;
            if (StartsWith(l.kind, "PI")) ++m5Points;
        }
        if (IsSdrRecord(line)) {
            ++sdr;
            if (StartsWith(line, "00") && line.find("SDR") != std::string_view::npos) ++sdrHeader;
            if (StartsWith(line, "09")) ++sdrObs;
        }
        std::string_view body = line;
        if (StartsWith(body, "--")) {
            ++rw5;
            body.remove_prefix(2);
        }
        if (!body.empty() && body[0] == '*') body.remove_prefix(1);
        const std::string code = CodeOf(body);
        if (code == "MO" || code == "OC" || code == "LS" || code == "BK" || code == "JB" || code == "SP" ||
            code == "GPS" || code == "GS" || code == "TR" || code == "BD" || code == "BR" || code == "FD" ||
            code == "FR" || code == "OF") {
            ++rw5;
            if (code == "MO" || code == "OC" || code == "LS" || code == "JB") ++rw5Strong;
        }
        if (code == "SS" && (body.find(",FP") != std::string_view::npos || body.find(",OP") != std::string_view::npos))
            ++rw5, ++rw5Strong;
        if (code == "CO" || code == "ST" || code == "F1" || code == "F2" || code == "UP" || code == "MP" ||
            code == "CC" || code == "RE" || code == "CP" || code == "SO" || code == "MC" ||
            (code == "SS" && body.find(",FP") == std::string_view::npos)) {
            ++nikon;
            if (code == "ST" || (code == "CO" && body.find("Nikon RAW") != std::string_view::npos)) ++nikonStrong;
        }
    }
    if (lines == 0) return TRecordingFormat::Unknown;
    const auto most = [&](int n) { return 2 * n >= lines; };
    if (m5 > 0 && most(m5)) return m5Levelling > m5Points ? TRecordingFormat::M5Levelling : TRecordingFormat::M5;
    if (shootHeader) return TRecordingFormat::Shoot;
    if (gsi > 0 && most(gsi)) return gsiLevelling > 0 ? TRecordingFormat::GsiLevelling : TRecordingFormat::Gsi;
    if (sdr > 0 && most(sdr) && (sdrHeader > 0 || sdrObs > 0)) return TRecordingFormat::Sdr;
    if (nikonStrong > 0 && most(nikon) && nikon >= rw5) return TRecordingFormat::Nikon;
    if (rw5Strong > 0 && most(rw5)) return TRecordingFormat::Rw5;
    if (gdmMeasure > 0 && most(gdm)) return TRecordingFormat::Gdm;
    return TRecordingFormat::Unknown;
}

std::optional<TRecordingFormat> FormatFromName(std::string_view name) {
    const std::string n = ToLowerAscii(Trim(name));
    if (n == "gsi") return TRecordingFormat::Gsi;
    if (n == "gdm") return TRecordingFormat::Gdm;
    if (n == "shoot") return TRecordingFormat::Shoot;
    if (n == "m5") return TRecordingFormat::M5;
    if (n == "sdr") return TRecordingFormat::Sdr;
    if (n == "rw5") return TRecordingFormat::Rw5;
    if (n == "nikon") return TRecordingFormat::Nikon;
    return std::nullopt;
}

TRecordingFormat RefineFormat(TRecordingFormat named, const std::vector<std::string>& firstLines) {
    if (named != TRecordingFormat::Gsi && named != TRecordingFormat::M5) return named;
    const TRecordingFormat seen = RecogniseRecording(firstLines);
    if (named == TRecordingFormat::Gsi && seen == TRecordingFormat::GsiLevelling) return seen;
    if (named == TRecordingFormat::M5 && seen == TRecordingFormat::M5Levelling) return seen;
    return named;
}

std::string FormatTitle(TRecordingFormat format) {
    switch (format) {
        case TRecordingFormat::Gsi: return "Leica GSI (station totale)";
        case TRecordingFormat::GsiLevelling: return "Leica GSI (niveau numérique)";
        case TRecordingFormat::Gdm: return "Trimble GDM";
        case TRecordingFormat::Shoot: return "fichier shoot (auscultation)";
        case TRecordingFormat::M5: return "Zeiss / Trimble M5 (station totale)";
        case TRecordingFormat::M5Levelling: return "Zeiss / Trimble M5 (niveau DiNi)";
        case TRecordingFormat::Sdr: return "Sokkia SDR33 / SDR2x";
        case TRecordingFormat::Rw5: return "Carlson RW5";
        case TRecordingFormat::Nikon: return "Nikon RAW V2.00";
        case TRecordingFormat::Unknown: break;
    }
    return "format inconnu";
}

bool IsLevellingFormat(TRecordingFormat format) {
    return format == TRecordingFormat::GsiLevelling || format == TRecordingFormat::M5Levelling;
}

}  // namespace kestrova
