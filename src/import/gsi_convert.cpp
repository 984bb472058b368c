#include "import/gsi_convert.hpp"

#include <algorithm>
#include <cmath>

#include <pugixml.hpp>

#include "app/encoding.hpp"
#include "app/format.hpp"
#include "app/numbers.hpp"
#include "app/param.hpp"
#include "app/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr int kMaxSlices = 20;
constexpr size_t kRestLimit = 400;

// Inside the converter a GSI text holds one byte per character
// (Windows-1252), so that word positions count characters.
std::string ToSingleByte(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return Utf8ToCp1252(text);
    return std::string(text);
}

std::string ToUtf8(std::string_view singleByte) {
    for (unsigned char c : singleByte)
        if (c >= 0x80) return Cp1252ToUtf8(singleByte);
    return std::string(singleByte);
}

std::string_view WordIndexOf(std::string_view block) {
    if (!block.empty() && block[0] == '*') block.remove_prefix(1);
    return block.substr(0, std::min<size_t>(2, block.size()));
}

GsiLineKind KindOfSingleByte(std::string_view block) {
    const std::string_view wi = WordIndexOf(block);
    if (wi == "41") return GsiLineKind::StationHeader;
    if (wi == "11") return GsiLineKind::Measurement;
    return GsiLineKind::Other;
}

// Words of one block, as views into the padded block text it owns.
struct WordView {
    int mode = 8;
    std::string text;  // the block, "*" dropped, blanks appended
    std::vector<std::string_view> slices;

    WordView() = default;
    WordView(const WordView&) = delete;
    WordView& operator=(const WordView&) = delete;

    // The last slice holding a word index (the later word wins), or empty.
    std::string_view Find(std::string_view wi) const {
        std::string_view found;
        for (std::string_view slice : slices)
            if (slice.substr(0, 2) == wi) found = slice;
        return found;
    }
    std::string_view Data(std::string_view slice) const { return slice.substr(7, mode == 16 ? 16 : 8); }
};

void SplitSingleByte(std::string_view block, GsiLineKind kind, WordView& words) {
    const bool wide = !block.empty() && block[0] == '*';
    if (wide) block.remove_prefix(1);
    words.mode = wide ? 16 : 8;
    words.text.assign(block);
    words.text.append(kind == GsiLineKind::StationHeader ? 169 : 72, ' ');
    if (wide) words.text.pop_back();  // the "*" counted among the characters padded
    const size_t width = wide ? 24 : 16;
    // The first slice, then at most 400 characters after it.
    const size_t usable = width + std::min(kRestLimit, words.text.size() - width);
    const size_t n = usable / width;
    words.slices.clear();
    if (n > static_cast<size_t>(kMaxSlices)) return;  // no words at all
    const std::string_view all(words.text);
    for (size_t i = 0; i < n; ++i) words.slices.push_back(all.substr(i * width, width));
}

std::string NameFromData(std::string_view data) {
    std::string name = Trim(StripLeadingZeros(data));
    if (name.empty()) return "0";
    return ToUtf8(name);
}

[[noreturn]] void Fail(int lineNumber, const std::string& what, std::string_view text,
                       std::string_view wi) {
    throw GsiConversionError(
        lineNumber, Format("Erreur de conversion GSI à la ligne %d : %s \"%s\" illisible dans le mot %s.",
                           lineNumber, what, ToUtf8(text), std::string(wi)));
}

// Unit code of a word: its sixth character read as a number.
int ReadUnitCode(std::string_view slice, int lineNumber, std::string_view wi) {
    const std::string_view unit = slice.substr(5, 1);
    const std::optional<long long> code = TextToInt(unit);
    if (!code) Fail(lineNumber, "code d'unité", unit, wi);
    return static_cast<int>(*code);
}

double ReadDataNumber(const WordView& words, std::string_view slice, int lineNumber,
                      std::string_view wi) {
    const std::string_view data = words.Data(slice);
    const std::optional<double> value = TextToDouble(Trim(data));
    if (!value) Fail(lineNumber, "valeur", data, wi);
    return *value;
}

double ConvertedValue(int unitCode, double number, int lineNumber, std::string_view wi,
                      std::vector<std::string>* warnings) {
    const std::optional<double> value = GsiUnitValue(unitCode, number);
    if (value) return *value;
    if (warnings)
        warnings->push_back(Format("Ligne %d : code d'unité %d inconnu dans le mot %s, valeur 0 retenue.",
                                   lineNumber, unitCode, std::string(wi)));
    return 0.0;
}

bool IsTableUnit(char c) { return c >= '0' && c <= '8'; }

std::string ZeroPadded(long long value, size_t digits) {
    std::string text = Format("%d", value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

TGsiStationHeader ReadHeaderSingleByte(std::string_view block, const std::string& headerStyle) {
    WordView words;
    SplitSingleByte(block, GsiLineKind::StationHeader, words);
    // Data of words 41 to 45, trimmed; an absent word counts as "0".
    static const char* const kHeaderWords[5] = {"41", "42", "43", "44", "45"};
    std::string data[5];
    for (int k = 0; k < 5; ++k) {
        const std::string_view slice = words.Find(kHeaderWords[k]);
        data[k] = slice.empty() ? "0" : Trim(words.Data(slice));
    }
    auto number = [](const std::string& text) { return TextToDouble(text, false); };

    TGsiStationHeader h;
    std::string nameData, tempData, pressData, heightData;
    double heightDivisor = 1000.0;
    bool constantMeteo = false;
    if (headerStyle == "TS") {
        nameData = data[0];
        tempData = data[1];
        pressData = data[2];
        heightData = data[3];
    } else if (headerStyle == "covadis") {
        nameData = data[1];
        heightData = data[2];
        heightDivisor = 1.0;  // metres
        constantMeteo = true;
    } else {  // "tc800" and any other value
        nameData = data[1];
        heightData = data[2];
        tempData = data[3];
        pressData = data[4];
        // Typed with a decimal point the height is in metres, as the
        // instrument's header form asks; plain digits are millimetres.
        if (heightData.find('.') != std::string::npos) heightDivisor = 1.0;
    }

    const std::string name = Trim(StripLeadingZeros(nameData));
    h.name = name.empty() ? "0" : ToUtf8(name);
    if (constantMeteo) {
        h.temp = Trim(Format("%8.1f", 12.0));
        h.press = Trim(Format("%8.1f", 760.1));
    } else {
        const auto t = number(tempData);
        h.temp = t ? Trim(Format("%8.1f", *t * 0.1)) : "-99.9";
        const auto p = number(pressData);
        h.press = p ? Trim(Format("%8.1f", *p * 0.1)) : "0";
    }
    if (const auto ht = number(heightData)) h.height = Trim(Format("%-8.3f", *ht / heightDivisor));
    return h;
}

TGsiMeasurement ReadMeasurementSingleByte(std::string_view block, int lengthDecimals, int lineNumber,
                                          std::vector<std::string>* warnings) {
    lengthDecimals = std::clamp(lengthDecimals, 0, 10);
    WordView words;
    SplitSingleByte(block, GsiLineKind::Measurement, words);
    TGsiMeasurement m;

    if (const std::string_view w = words.Find("11"); !w.empty()) m.name = NameFromData(words.Data(w));

    auto angleOrLength = [&](std::string_view wi) -> std::optional<double> {
        const std::string_view w = words.Find(wi);
        if (w.empty()) return std::nullopt;
        const int unit = ReadUnitCode(w, lineNumber, wi);
        const double number = ReadDataNumber(words, w, lineNumber, wi);
        return ConvertedValue(unit, number, lineNumber, wi, warnings);
    };
    if (const auto hz = angleOrLength("21")) m.hz = Trim(Format("%9.5f", *hz));
    if (const auto v = angleOrLength("22")) m.v = Trim(Format("%9.5f", *v));
    if (const auto dp = angleOrLength("31")) m.dp = Trim(FormatFixed(*dp, lengthDecimals));

    if (const std::string_view w = words.Find("51"); !w.empty()) {
        const bool wide = words.mode == 16;
        const std::string_view ppmText = w.substr(6, wide ? 13 : 5);
        const std::string_view csteText = w.substr(wide ? 19 : 11, 4);
        const std::optional<long long> ppm = TextToInt(Trim(ppmText));
        if (!ppm) Fail(lineNumber, "correction ppm", ppmText, "51");
        const std::optional<double> cste = TextToDouble(Trim(csteText));
        if (!cste) Fail(lineNumber, "constante", csteText, "51");
        m.ppmValue = *ppm;
        m.ppm = Format("%d", *ppm);
        m.csteValue = *cste / 1000.0;
        m.cste = Trim(Format("%10.3f", m.csteValue));
    }

    if (const std::string_view w = words.Find("87"); !w.empty()) {
        // Reflector height: read through its unit code; a unit character
        // outside the table is read as millimetres. The sign is kept.
        const double number = ReadDataNumber(words, w, lineNumber, "87");
        const char unit = w[5];
        double height = IsTableUnit(unit) ? *GsiUnitValue(unit - '0', number) : number / 1000.0;
        if (w[6] == '-') height = -height;
        m.hv = Format("%9.3f", height);
    }
    return m;
}

struct TGsiBlock {
    std::string text;
    int lineOffset = 0;  // physical line within the source line, from 0
};

// The blocks of one source line. A carriage return inside the line ends a
// physical line of the recording (files with CR line ends); `physicalLines`
// receives their number, a CR at the very end not starting a new one.
std::vector<TGsiBlock> BlocksOfLine(std::string_view line, int* physicalLines = nullptr) {
    std::vector<TGsiBlock> blocks;
    size_t start = 0;
    int offset = 0;
    while (true) {
        size_t end = start;
        while (end < line.size() && line[end] != '\r' && line[end] != '\n') ++end;
        std::string_view piece = line.substr(start, end - start);
        // Control characters at either end (transfer leftovers) are dropped.
        while (!piece.empty() && static_cast<unsigned char>(piece.front()) < 0x20) piece.remove_prefix(1);
        while (!piece.empty() && static_cast<unsigned char>(piece.back()) < 0x20) piece.remove_suffix(1);
        const GsiLineKind kind = KindOfSingleByte(piece);
        if (kind == GsiLineKind::Other) {
            blocks.push_back({std::string(piece), offset});
        } else {
            // Several blocks recorded on one line: a new block starts at a
            // word boundary with a word 11 or 41 (after its "*" in GSI16).
            const bool wide = piece[0] == '*';
            const size_t width = wide ? 24 : 16;
            const size_t step = wide ? 25 : 16;  // to the first word index of the next block
            size_t blockStart = 0;
            for (size_t p = step; p + 2 <= piece.size();) {
                const std::string_view next = piece.substr(p, wide ? 3 : 2);
                const bool starts = wide ? (next == "*11" || next == "*41") : (next == "11" || next == "41");
                if (starts) {
                    blocks.push_back({std::string(piece.substr(blockStart, p - blockStart)), offset});
                    blockStart = p;
                    p += step;
                } else {
                    p += width;
                }
            }
            blocks.push_back({std::string(piece.substr(blockStart)), offset});
        }
        if (end == line.size()) break;
        start = end + 1;
        if (start == line.size()) break;  // a final CR ends the last line only
        ++offset;
    }
    if (physicalLines) *physicalLines = offset + 1;
    return blocks;
}

// Keeps the first warnings of a conversion and counts the others, so that
// a recording made in an unknown unit gives a readable report.
struct WarningList {
    static constexpr size_t kKept = 20;
    std::vector<std::string> fresh;  // of the block just read
    int dropped = 0;

    void Keep(GsiReport& report) {
        for (std::string& w : fresh) {
            if (report.warnings.size() < kKept) report.warnings.push_back(std::move(w));
            else ++dropped;
        }
        fresh.clear();
    }
    void Finish(GsiReport& report) const {
        if (dropped > 0) report.warnings.push_back(Format("... et %d autres avertissements.", dropped));
    }
};

const char* const kDefaultStationLine = " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ";
const char* const kCalibrationComment =
    "Attention : le terme M est soustractif ; il s'agit de l'erreur et non de la constante de prisme";

// Calls `onHeader(block)` and `onMeasurement(block, lineNumber)` for every
// block of the recording, in order.
template <typename Header, typename Measurement>
void ForEachGsiBlock(const std::vector<std::string>& lines, Header onHeader, Measurement onMeasurement) {
    int firstLine = 1;  // physical line number of the current source line
    for (const std::string& source : lines) {
        int physicalLines = 1;
        for (const TGsiBlock& block : BlocksOfLine(ToSingleByte(source), &physicalLines)) {
            switch (KindOfSingleByte(block.text)) {
                case GsiLineKind::StationHeader: onHeader(block.text); break;
                case GsiLineKind::Measurement: onMeasurement(block.text, firstLine + block.lineOffset); break;
                case GsiLineKind::Other: break;
            }
        }
        firstLine += physicalLines;
    }
}

// Collects the saved document line by line.
struct LineWriter : pugi::xml_writer {
    std::vector<std::string> lines;
    std::string partial;
    void write(const void* data, size_t size) override {
        std::string_view chunk(static_cast<const char*>(data), size);
        for (size_t nl; (nl = chunk.find('\n')) != std::string_view::npos;) {
            partial.append(chunk.substr(0, nl));
            lines.push_back(std::move(partial));
            partial.clear();
            chunk.remove_prefix(nl + 1);
        }
        partial.append(chunk);
    }
};

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    node.append_attribute(name).set_value(value.c_str());
}

}  // namespace

GsiConversionError::GsiConversionError(int lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

GsiLineKind GsiKindOf(std::string_view block) { return KindOfSingleByte(block); }

TGsiWords SplitGsiWords(std::string_view block, GsiLineKind kind) {
    WordView view;
    SplitSingleByte(ToSingleByte(block), kind, view);
    TGsiWords words;
    words.mode = view.mode;
    words.count = static_cast<int>(view.slices.size());
    for (std::string_view slice : view.slices) words.slices.push_back(ToUtf8(slice));
    return words;
}

std::optional<double> GsiUnitValue(int unitCode, double number) {
    switch (unitCode) {
        case 0: return number / 1000.0;
        case 1: return number * 0.3048 / 1000.0;
        case 2: return number / 100000.0;
        case 3: return number / 0.9 / 100000.0;
        case 4: {
            // DDDMMSSs: degrees, minutes, seconds and tenths of a second.
            const long long all = std::llround(std::fabs(number));
            const double degrees = static_cast<double>(all / 100000) +
                                   static_cast<double>((all / 1000) % 100) / 60.0 +
                                   static_cast<double>(all % 1000) / 10.0 / 3600.0;
            return (number < 0 ? -degrees : degrees) / 0.9;
        }
        case 5: return number / 10000.0 / 16.0;  // 6400 mil = 400 gon
        case 6: return number / 10000.0;
        case 7: return number * 0.3048 / 10000.0;
        case 8: return number / 100000.0;
        default: return std::nullopt;
    }
}

TGsiStationHeader ReadGsiStationHeader(std::string_view block, const std::string& headerStyle) {
    return ReadHeaderSingleByte(ToSingleByte(block), headerStyle);
}

TGsiMeasurement ReadGsiMeasurement(std::string_view block, int lengthDecimals, int lineNumber,
                                   std::vector<std::string>* warnings) {
    return ReadMeasurementSingleByte(ToSingleByte(block), lengthDecimals, lineNumber, warnings);
}

std::vector<std::string> SplitGsiBlocks(std::string_view line) {
    std::vector<std::string> blocks;
    for (const TGsiBlock& b : BlocksOfLine(ToSingleByte(line))) blocks.push_back(ToUtf8(b.text));
    return blocks;
}

std::string GsiPpmConstantToken(long long ppm, double constant) {
    std::string token = ppm < 0 ? "-" : "";
    token += ZeroPadded(ppm < 0 ? -ppm : ppm, 4);
    const long long mm = static_cast<long long>(RoundHalfEven(constant * 1000.0));
    token += mm < 0 ? '-' : '+';
    token += ZeroPadded(mm < 0 ? -mm : mm, 3);
    return token;
}

std::vector<std::string> GsiToTextBook(const std::vector<std::string>& lines,
                                       const std::string& headerStyle, GsiReport* report) {
    const int decimals = Param().longueur;
    GsiReport local;
    GsiReport& r = report ? *report : local;
    r = GsiReport{};
    WarningList warnings;
    std::vector<std::string> out;
    out.reserve(lines.size() + 1);
    ForEachGsiBlock(
        lines,
        [&](const std::string& block) {
            ++r.stationCount;
            const TGsiStationHeader h = ReadHeaderSingleByte(block, headerStyle);
            out.push_back(" station " + Format("%-8s", h.name) + " Temp_deg " + h.temp + " Press_mmHg " +
                          h.press + " ht_m " + h.height);
        },
        [&](const std::string& block, int lineNumber) {
            const TGsiMeasurement m = ReadMeasurementSingleByte(block, decimals, lineNumber, &warnings.fresh);
            warnings.Keep(r);
            out.push_back("  numero " + Format("%-8s", m.name) + " AH_gr " + Format("%9s", m.hz) +
                          " AV_gr " + Format("%9s", m.v) + " Dp_m " + Format("%9s", m.dp) +
                          " ppm_cste_mm " + GsiPpmConstantToken(m.ppmValue, m.csteValue) + " hv_m " +
                          Format("%9s", m.hv));
        });
    warnings.Finish(r);
    if (r.stationCount == 0) out.insert(out.begin(), kDefaultStationLine);
    return out;
}

std::vector<std::string> GsiToXmlBook(const std::vector<std::string>& lines,
                                      const std::string& headerStyle, GsiReport* report) {
    const int decimals = Param().longueur;
    GsiReport local;
    GsiReport& r = report ? *report : local;
    r = GsiReport{};
    WarningList warnings;

    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    decl.append_attribute("encoding").set_value("ISO-8859-1");
    pugi::xml_node root = doc.append_child("carnet");

    pugi::xml_node calibrations = root.append_child("etalonnages");
    calibrations.append_child(pugi::node_comment).set_value(kCalibrationComment);
    pugi::xml_node neutral = calibrations.append_child("etalonnage");
    static const char* const kNeutral[][2] = {
        {"id", "defaut"},      {"num", "0"},           {"serial", "0"},        {"methode", ""},
        {"P", "3"},            {"Ddep", "0"},          {"Dmax", "3000"},       {"M", "+0.0000"},
        {"deg_Fourier", "0"},  {"deg_polynome", "0"},  {"n_corr_interp", "0"}, {"lambda_um", "0.85"},
        {"T0_K", "285.15"},    {"P0_mmHg", "760.0"},
    };
    for (const auto& a : kNeutral) neutral.append_attribute(a[0]).set_value(a[1]);

    pugi::xml_node stations = root.append_child("stations");
    pugi::xml_node rawdata;  // of the current station
    auto addStation = [&](const std::string& num, const TGsiStationHeader& h) {
        pugi::xml_node st = stations.append_child("station");
        SetAttribute(st, "num", num);
        SetAttribute(st, "pt_sta", h.name);
        SetAttribute(st, "temp", h.temp);
        SetAttribute(st, "press", h.press);
        SetAttribute(st, "Ht", h.height);
        SetAttribute(st, "etalonnage", "0");
        rawdata = st.append_child("rawdata");
    };

    ForEachGsiBlock(
        lines,
        [&](const std::string& block) {
            ++r.stationCount;
            addStation(Format("%d", r.stationCount), ReadHeaderSingleByte(block, headerStyle));
        },
        [&](const std::string& block, int lineNumber) {
            const TGsiMeasurement m = ReadMeasurementSingleByte(block, decimals, lineNumber, &warnings.fresh);
            warnings.Keep(r);
            if (!rawdata) {
                // A measurement before any station header: a default
                // station that does not count.
                TGsiStationHeader d;
                d.height = "0.000";
                addStation("1", d);
            }
            pugi::xml_node obs = rawdata.append_child("obs");
            SetAttribute(obs, "pt_vis", m.name);
            SetAttribute(obs, "Hz", m.hz);
            SetAttribute(obs, "V", m.v);
            SetAttribute(obs, "Dp", m.dp);
            SetAttribute(obs, "Hv", Trim(m.hv));
            SetAttribute(obs, "ppm", m.ppm);
            SetAttribute(obs, "cste", m.cste);
        });

    warnings.Finish(r);
    LineWriter writer;
    doc.save(writer, "   ", pugi::format_default, pugi::encoding_utf8);
    if (!writer.partial.empty()) writer.lines.push_back(std::move(writer.partial));
    return std::move(writer.lines);
}

}  // namespace kestrova
