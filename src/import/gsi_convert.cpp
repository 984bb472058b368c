#include "import/gsi_convert.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/encoding.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "base/fixed_text.hpp"
#include "base/line_sink.hpp"
#include "import/xml_attribute.hpp"

namespace kestrova {

namespace {

constexpr int kMaxSlices = 20;
constexpr size_t kRestLimit = 400;

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// Inside the converter a GSI text holds one byte per character
// (Windows-1252), so that word positions count characters. `storage`
// keeps the converted text when the line is not plain ASCII.
std::string_view SingleByte(std::string_view text, std::string& storage) {
    if (IsAscii(text)) return text;
    storage = Utf8ToCp1252(text);
    return storage;
}

std::string ToSingleByte(std::string_view text) {
    std::string storage;
    return std::string(SingleByte(text, storage));
}

std::string ToUtf8(std::string_view singleByte) {
    return IsAscii(singleByte) ? std::string(singleByte) : Cp1252ToUtf8(singleByte);
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

// One word of a block, as views into the block text.
struct GsiWord {
    std::string_view wi;    // word index, two characters
    std::string_view data;  // the value characters
    std::string_view tail;  // from the sign to the end of the word (word 51)
    char unit = '\0';       // unit character, '\0' when the word has none
    char sign = '+';
};

// Words of one block, as views into the padded block text it owns.
struct WordView {
    int mode = 8;
    bool aligned = true;
    std::string text;  // the block, "*" dropped, blanks appended
    std::vector<std::string_view> slices;
    std::vector<GsiWord> words;

    WordView() = default;
    WordView(const WordView&) = delete;
    WordView& operator=(const WordView&) = delete;
    // Reused from block to block: its buffers keep their capacity.

    // The last word of an index (the later word wins), or nullptr.
    const GsiWord* Find(std::string_view wi) const {
        const GsiWord* found = nullptr;
        for (const GsiWord& w : words)
            if (w.wi == wi) found = &w;
        return found;
    }
    bool Has(std::string_view wi) const { return Find(wi) != nullptr; }
};

// A word at its fixed place: index 1-2, unit 6, sign 7, data 8-15/8-23.
GsiWord FixedWord(std::string_view slice, int mode) {
    GsiWord w;
    w.wi = slice.substr(0, 2);
    w.unit = slice[5];
    w.sign = slice[6];
    w.data = slice.substr(7, mode == 16 ? 16 : 8);
    w.tail = slice.substr(6);
    return w;
}

// A word cut at blanks, read from its own sign (the first "+" or "-"
// after the word index). Without a sign, the fixed places are used.
GsiWord FreeWord(std::string_view token) {
    GsiWord w;
    w.wi = token.substr(0, std::min<size_t>(2, token.size()));
    const size_t sign = token.size() > 2 ? token.find_first_of("+-", 2) : std::string_view::npos;
    if (sign != std::string_view::npos) {
        if (sign >= 3) w.unit = token[sign - 1];
        w.sign = token[sign];
        w.data = token.substr(sign + 1);
        w.tail = token.substr(sign);
    } else {
        if (token.size() > 5) w.unit = token[5];
        if (token.size() > 6) w.sign = token[6];
        w.data = token.size() > 7 ? token.substr(7) : std::string_view();
        w.tail = token.size() > 6 ? token.substr(6) : std::string_view();
    }
    return w;
}

// True when every word of the block starts on the 16/24-column grid and is
// followed by a blank (or the end of the block).
bool IsAligned(std::string_view block, size_t width) {
    size_t end = block.size();
    while (end > 0 && block[end - 1] == ' ') --end;
    for (size_t at = 0; at < end; at += width) {
        if (block[at] == ' ') return false;
        const size_t last = at + width - 1;
        if (last < end && block[last] != ' ') return false;
    }
    return true;
}

void SplitSingleByte(std::string_view block, GsiLineKind kind, WordView& words) {
    const bool wide = !block.empty() && block[0] == '*';
    if (wide) block.remove_prefix(1);
    words.mode = wide ? 16 : 8;
    const size_t width = wide ? 24 : 16;
    words.slices.clear();
    words.words.clear();
    words.aligned = IsAligned(block, width);
    if (!words.aligned) {
        words.text.assign(block);
        const std::string_view all(words.text);
        for (size_t at = 0; at < all.size();) {
            if (all[at] == ' ') {
                ++at;
                continue;
            }
            size_t stop = all.find(' ', at);
            if (stop == std::string_view::npos) stop = all.size();
            words.slices.push_back(all.substr(at, stop - at));
            at = stop;
        }
        if (words.slices.size() > static_cast<size_t>(kMaxSlices)) words.slices.clear();
        for (std::string_view token : words.slices) words.words.push_back(FreeWord(token));
        return;
    }
    words.text.assign(block);
    words.text.append(kind == GsiLineKind::StationHeader ? 169 : 72, ' ');
    if (wide) words.text.pop_back();  // the "*" counted among the characters padded
    // The first slice, then at most 400 characters after it.
    const size_t usable = width + std::min(kRestLimit, words.text.size() - width);
    const size_t n = usable / width;
    if (n > static_cast<size_t>(kMaxSlices)) return;  // no words at all
    const std::string_view all(words.text);
    for (size_t i = 0; i < n; ++i) {
        words.slices.push_back(all.substr(i * width, width));
        words.words.push_back(FixedWord(words.slices.back(), words.mode));
    }
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

// Unit code of a word: its unit character read as a number.
int ReadUnitCode(const GsiWord& w, int lineNumber) {
    const std::string_view unit(&w.unit, w.unit ? 1 : 0);
    const std::optional<long long> code = TextToInt(unit);
    if (!code) Fail(lineNumber, "code d'unité", unit, w.wi);
    return static_cast<int>(*code);
}

double ReadDataNumber(const GsiWord& w, int lineNumber) {
    const std::optional<double> value = TextToDouble(Trim(w.data));
    if (!value) Fail(lineNumber, "valeur", w.data, w.wi);
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
    std::string text = std::to_string(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

TGsiStationHeader ReadHeaderSingleByte(std::string_view block, const std::string& headerStyle, WordView& words) {
    SplitSingleByte(block, GsiLineKind::StationHeader, words);
    // Data of words 41 to 45, trimmed; an absent word counts as "0".
    static const char* const kHeaderWords[5] = {"41", "42", "43", "44", "45"};
    std::string data[5];
    bool present[5];
    for (int k = 0; k < 5; ++k) {
        const GsiWord* w = words.Find(kHeaderWords[k]);
        present[k] = w != nullptr;
        data[k] = w ? Trim(w->data) : "0";
    }
    auto number = [](const std::string& text) { return TextToDouble(text, false); };

    TGsiStationHeader h;
    std::string nameData, heightData;
    int tempWord = -1, pressWord = -1;
    double heightDivisor = 1000.0;
    if (headerStyle == "TS") {
        nameData = data[0];
        tempWord = 1;
        pressWord = 2;
        heightData = data[3];
    } else if (headerStyle == "covadis") {
        nameData = data[1];
        heightData = data[2];
        heightDivisor = 1.0;  // metres
    } else {  // "tc800" and any other value
        nameData = data[1];
        heightData = data[2];
        tempWord = 3;
        pressWord = 4;
        // Typed with a decimal point the height is in metres, as the
        // instrument's header form asks; plain digits are millimetres.
        if (heightData.find('.') != std::string::npos) heightDivisor = 1.0;
    }

    const std::string name = Trim(StripLeadingZeros(nameData));
    h.name = name.empty() ? "0" : ToUtf8(name);
    // Temperature and pressure "%8.1f", height "%-8.3f", all trimmed. A
    // weather word the header does not have leaves the default weather
    // (the covadis style has none).
    h.temp = FixedText(12.0, 1);
    h.press = FixedText(760.1, 1);
    if (tempWord >= 0 && present[tempWord]) {
        const auto t = number(data[tempWord]);
        h.temp = t ? FixedText(*t * 0.1, 1) : "-99.9";
    }
    if (pressWord >= 0 && present[pressWord]) {
        const auto p = number(data[pressWord]);
        h.press = p ? FixedText(*p * 0.1, 1) : "0";
    }
    if (const auto ht = number(heightData)) h.height = FixedText(*ht / heightDivisor, 3);
    return h;
}

// Word 51: two signed integers, ppm then the constant in millimetres,
// whatever their widths ("+0012+034", "+000000000012+034",
// "+00000008+0000000"). A word at its fixed place that is not of that form
// is read at the positions of its layout (GSI8 7-11 and 12-15, GSI16 7-19
// and 20-23).
void ReadPpmConstant(const GsiWord& w, bool aligned, int mode, int lineNumber, TGsiMeasurement& m) {
    const std::string tail = Trim(w.tail);
    const size_t second = tail.size() > 1 ? tail.find_first_of("+-", 1) : std::string::npos;
    std::optional<long long> ppm;
    std::optional<double> cste;
    if (second != std::string::npos) {
        ppm = TextToInt(Trim(std::string_view(tail).substr(0, second)));
        cste = TextToInt(Trim(std::string_view(tail).substr(second)));
    }
    if ((!ppm || !cste) && aligned) {
        const bool wide = mode == 16;
        const std::string_view ppmText = w.tail.substr(0, wide ? 13 : 5);
        const std::string_view csteText = w.tail.substr(wide ? 13 : 5, 4);
        ppm = TextToInt(Trim(ppmText));
        if (!ppm) Fail(lineNumber, "correction ppm", ppmText, "51");
        cste = TextToDouble(Trim(csteText));
        if (!cste) Fail(lineNumber, "constante", csteText, "51");
    }
    if (!ppm || !cste) Fail(lineNumber, "correction ppm et constante", w.tail, "51");
    m.ppmValue = *ppm;
    m.ppm = std::to_string(*ppm);
    m.csteValue = *cste / 1000.0;
    m.cste = FixedText(m.csteValue, 3);  // "%10.3f", trimmed
}

// A length word of the set-up or the reflector (84 to 88): through its
// unit code, a unit character outside the table read as millimetres; the
// sign is kept.
double SignedLength(const GsiWord& w, int lineNumber) {
    const double number = ReadDataNumber(w, lineNumber);
    double value = IsTableUnit(w.unit) ? *GsiUnitValue(w.unit - '0', number) : number / 1000.0;
    return w.sign == '-' ? -value : value;
}

GsiBlockRole RoleOf(const WordView& words) {
    for (const char* wi : {"21", "22", "31", "32"})
        if (words.Has(wi)) return GsiBlockRole::Pointing;
    for (const char* wi : {"84", "85", "86", "88"})
        if (words.Has(wi)) return GsiBlockRole::SetUp;
    for (const char* wi : {"81", "82", "83"})
        if (words.Has(wi)) return GsiBlockRole::Coordinates;
    return GsiBlockRole::Pointing;
}

TGsiMeasurement ReadMeasurementSingleByte(std::string_view block, int lengthDecimals, int lineNumber,
                                          std::vector<std::string>* warnings, WordView& words) {
    lengthDecimals = std::clamp(lengthDecimals, 0, 10);
    SplitSingleByte(block, GsiLineKind::Measurement, words);
    TGsiMeasurement m;
    m.role = RoleOf(words);

    if (const GsiWord* w = words.Find("11")) m.name = NameFromData(w->data);
    if (m.role == GsiBlockRole::Coordinates) return m;  // skipped: nothing else is read

    auto angleOrLength = [&](std::string_view wi) -> std::optional<double> {
        const GsiWord* w = words.Find(wi);
        if (!w) return std::nullopt;
        const int unit = ReadUnitCode(*w, lineNumber);
        const double number = ReadDataNumber(*w, lineNumber);
        return ConvertedValue(unit, number, lineNumber, wi, warnings);
    };
    // Angles "%9.5f", the distance with the length decimals, trimmed.
    if (const auto hz = angleOrLength("21")) m.hz = FixedText(*hz, 5);
    const auto v = angleOrLength("22");
    if (v) m.v = FixedText(*v, 5);
    const auto dp = angleOrLength("31");
    if (dp) m.dp = FixedText(*dp, lengthDecimals);
    m.horizontalDistance = angleOrLength("32");
    if (!dp && m.horizontalDistance) {
        // Only the horizontal distance was recorded: the slope distance
        // follows from the zenith angle.
        const double s = v ? std::sin(*v * std::numbers::pi / 200.0) : 0.0;
        if (std::fabs(s) > 1e-9) {
            m.dp = FixedText(*m.horizontalDistance / std::fabs(s), lengthDecimals);
        } else if (warnings) {
            warnings->push_back(Format("Ligne %d : distance horizontale (mot 32) sans angle zénithal utilisable, "
                                       "ignorée.", lineNumber));
        }
    }

    if (const GsiWord* w = words.Find("51")) ReadPpmConstant(*w, words.aligned, words.mode, lineNumber, m);

    if (const GsiWord* w = words.Find("87")) m.hv = FixedText(SignedLength(*w, lineNumber), 3, 9);  // "%9.3f"
    if (const GsiWord* w = words.Find("84")) m.easting = SignedLength(*w, lineNumber);
    if (const GsiWord* w = words.Find("85")) m.northing = SignedLength(*w, lineNumber);
    if (const GsiWord* w = words.Find("86")) m.elevation = SignedLength(*w, lineNumber);
    if (const GsiWord* w = words.Find("88")) m.instrumentHeight = SignedLength(*w, lineNumber);
    return m;
}

struct TGsiBlock {
    std::string_view text;  // within the source line
    int lineOffset = 0;     // physical line within the source line, from 0
};

// The blocks of one source line, into `blocks`. A carriage return inside
// the line ends a physical line of the recording (files with CR line
// ends); the number of physical lines is returned, a CR at the very end
// not starting a new one.
int BlocksOfLine(std::string_view line, std::vector<TGsiBlock>& blocks) {
    blocks.clear();
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
            blocks.push_back({piece, offset});
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
                    blocks.push_back({piece.substr(blockStart, p - blockStart), offset});
                    blockStart = p;
                    p += step;
                } else {
                    p += width;
                }
            }
            blocks.push_back({piece.substr(blockStart), offset});
        }
        if (end == line.size()) break;
        start = end + 1;
        if (start == line.size()) break;  // a final CR ends the last line only
        ++offset;
    }
    return offset + 1;
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

// What a book does with the stations and pointings of a recording, in
// source order. Stations are numbered in the order of the book, from 1.
class TGsiBook {
public:
    virtual ~TGsiBook() = default;
    virtual void Station(int num, const TGsiStationHeader& header) = 0;
    virtual void DefaultStation(int num) = 0;
    virtual void Measurement(const TGsiMeasurement& measurement) = 0;
    virtual void Finish() {}
};

// Reads a recording source line by source line and hands its blocks to a
// book. Opens the stations (header lines and set-up blocks), numbers the
// physical lines for the messages and keeps the warnings.
//
// A station is handed to the book when its first pointing or the next
// station comes, so that a set-up block naming the station of the header
// just before it completes that station (its instrument height) instead
// of leaving it empty beside a second one.
class TGsiReader {
public:
    TGsiReader(const std::string& headerStyle, GsiReport* report, TGsiBook& book)
        : style_(headerStyle), report_(report ? *report : local_), book_(book), decimals_(Param().longueur) {
        report_ = GsiReport{};
    }

    void Add(std::string_view source) {
        const int physicalLines = BlocksOfLine(SingleByte(source, storage_), blocks_);
        int lastGsiLine = -1;
        for (const TGsiBlock& block : blocks_) {
            const GsiLineKind kind = KindOfSingleByte(block.text);
            if (kind == GsiLineKind::Other) {
                if (!Trim(block.text).empty()) ++report_.otherLines;
                continue;
            }
            ++report_.gsiBlocks;
            if (block.lineOffset != lastGsiLine) {
                ++gsiLines_;
                lastGsiLine = block.lineOffset;
            }
            const int lineNumber = firstLine_ + block.lineOffset;
            if (kind == GsiLineKind::StationHeader) {
                TGsiStationHeader header = ReadHeaderSingleByte(block.text, style_, words_);
                BlankFreeName(header.name, lineNumber);
                Open(header);
                warnings_.Keep(report_);
                continue;
            }
            TGsiMeasurement m =
                ReadMeasurementSingleByte(block.text, decimals_, lineNumber, &warnings_.fresh, words_);
            BlankFreeName(m.name, lineNumber);
            switch (m.role) {
                case GsiBlockRole::Coordinates: ++report_.coordinateRecords; break;
                case GsiBlockRole::SetUp: SetUp(m); break;
                case GsiBlockRole::Pointing:
                    if (pending_) {
                        Flush();
                    } else if (!stationOpen_) {
                        warnings_.fresh.insert(warnings_.fresh.begin(), Format(
                            "Ligne %d : mesure avant toute station (ni en-tête 41 ni bloc de mise en station) ; "
                            "elle est rangée dans la station par défaut 0. Insérez une ligne de station.",
                            lineNumber));
                        book_.DefaultStation(++stationNumber_);
                        stationOpen_ = true;
                    }
                    book_.Measurement(m);
                    break;
            }
            warnings_.Keep(report_);
        }
        firstLine_ += physicalLines;
    }

    void Finish() {
        Flush();
        warnings_.Finish(report_);
        if (report_.gsiBlocks == 0)
            throw GsiConversionError(0, GsiNotARecordingMessage());
        if (report_.coordinateRecords > 0)
            report_.warnings.push_back(
                report_.coordinateRecords == 1
                    ? std::string("1 enregistrement de coordonnées (mots 81 à 83) ignoré.")
                    : Format("%d enregistrements de coordonnées (mots 81 à 83) ignorés.", report_.coordinateRecords));
        if (report_.otherLines > gsiLines_)
            report_.warnings.push_back(Format("%d lignes sur %d ne sont pas des blocs GSI (mot 11 ou 41) : elles "
                                              "sont ignorées.",
                                              report_.otherLines, report_.otherLines + gsiLines_));
    }
    const GsiReport& report() const { return report_; }

private:
    // Books and observation files are blank-separated: a blank inside a
    // point or station name would shift every field after it.
    void BlankFreeName(std::string& name, int lineNumber) {
        if (name.find(' ') == std::string::npos) return;
        const std::string read = name;
        for (char& c : name)
            if (c == ' ') c = '_';
        warnings_.fresh.push_back(
            Format("Ligne %d : le nom de point \"%s\" contient un blanc, écrit \"%s\".", lineNumber, read, name));
    }

    void Open(const TGsiStationHeader& header) {
        Flush();
        ++report_.stationCount;
        pending_ = header;
    }

    void SetUp(const TGsiMeasurement& m) {
        const std::string height = FixedText(m.instrumentHeight.value_or(0.0), 3);
        if (pending_ && pending_->name == m.name) {
            if (m.instrumentHeight) pending_->height = height;
            return;
        }
        TGsiStationHeader h;  // the default weather
        h.name = m.name;
        h.height = height;
        Open(h);
    }

    void Flush() {
        if (!pending_) return;
        book_.Station(++stationNumber_, *pending_);
        pending_.reset();
        stationOpen_ = true;
    }

    std::string style_;
    GsiReport local_;
    GsiReport& report_;
    TGsiBook& book_;
    int decimals_;
    int firstLine_ = 1;  // physical line number of the next source line
    int gsiLines_ = 0;   // physical lines holding GSI blocks
    int stationNumber_ = 0;
    bool stationOpen_ = false;
    std::optional<TGsiStationHeader> pending_;
    WarningList warnings_;
    std::string storage_;
    std::vector<TGsiBlock> blocks_;
    WordView words_;
};

// The text field book, line by line.
class TTextBook : public TGsiBook {
public:
    explicit TTextBook(TLineSink& sink) : sink_(sink) {}
    void DefaultStation(int) override { sink_.Add(kDefaultStationLine); }
    void Station(int, const TGsiStationHeader& h) override {
        std::string line = " station ";
        AppendPadRight(line, h.name, 8);
        line += " Temp_deg ";
        line += h.temp;
        line += " Press_mmHg ";
        line += h.press;
        line += " ht_m ";
        line += h.height;
        sink_.Add(line);
    }
    void Measurement(const TGsiMeasurement& m) override {
        std::string line = "  numero ";
        line.reserve(112);
        AppendPadRight(line, m.name, 8);
        line += " AH_gr ";
        AppendPadLeft(line, m.hz, 9);
        line += " AV_gr ";
        AppendPadLeft(line, m.v, 9);
        line += " Dp_m ";
        AppendPadLeft(line, m.dp, 9);
        line += " ppm_cste_mm ";
        line += GsiPpmConstantToken(m.ppmValue, m.csteValue);
        line += " hv_m ";
        AppendPadLeft(line, m.hv, 9);
        sink_.Add(line);
    }

private:
    TLineSink& sink_;
};

// The XML field book, written line by line: three blanks of indentation
// per level, an element without children closed by " />".
class TXmlBook : public TGsiBook {
public:
    explicit TXmlBook(TLineSink& sink) : sink_(sink) {
        sink_.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
        sink_.Add("<carnet>");
        sink_.Add("   <etalonnages>");
        sink_.Add(std::string("      <!--") + kCalibrationComment + "-->");
        // The neutral calibration.
        sink_.Add(
            "      <etalonnage id=\"defaut\" num=\"0\" serial=\"0\" methode=\"\" P=\"3\" Ddep=\"0\" Dmax=\"3000\" "
            "M=\"+0.0000\" deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\" lambda_um=\"0.85\" "
            "T0_K=\"285.15\" P0_mmHg=\"760.0\" />");
        sink_.Add("   </etalonnages>");
    }

    void Station(int num, const TGsiStationHeader& h) override { OpenStation(num, h); }
    void DefaultStation(int num) override {
        TGsiStationHeader d;
        d.height = "0.000";
        OpenStation(num, d);
    }

    void Measurement(const TGsiMeasurement& m) override {
        if (!hasObs_) {
            sink_.Add("         <rawdata>");
            hasObs_ = true;
        }
        line_.assign("            <obs");
        AppendXmlAttribute(line_, "pt_vis", m.name);
        AppendXmlAttribute(line_, "Hz", m.hz);
        AppendXmlAttribute(line_, "V", m.v);
        AppendXmlAttribute(line_, "Dp", m.dp);
        AppendXmlAttribute(line_, "Hv", Trim(m.hv));
        AppendXmlAttribute(line_, "ppm", m.ppm);
        AppendXmlAttribute(line_, "cste", m.cste);
        line_ += " />";
        sink_.Add(line_);
    }

    void Finish() override {
        CloseStation();
        sink_.Add(stationsOpen_ ? "   </stations>" : "   <stations />");
        sink_.Add("</carnet>");
    }

private:
    void OpenStation(int num, const TGsiStationHeader& h) {
        CloseStation();
        if (!stationsOpen_) {
            sink_.Add("   <stations>");
            stationsOpen_ = true;
        }
        line_.assign("      <station");
        AppendXmlAttribute(line_, "num", std::to_string(num));
        AppendXmlAttribute(line_, "pt_sta", h.name);
        AppendXmlAttribute(line_, "temp", h.temp);
        AppendXmlAttribute(line_, "press", h.press);
        AppendXmlAttribute(line_, "Ht", h.height);
        AppendXmlAttribute(line_, "etalonnage", "0");
        line_ += '>';
        sink_.Add(line_);
        stationOpen_ = true;
        hasObs_ = false;
    }

    void CloseStation() {
        if (!stationOpen_) return;
        sink_.Add(hasObs_ ? "         </rawdata>" : "         <rawdata />");
        sink_.Add("      </station>");
        stationOpen_ = false;
    }

    TLineSink& sink_;
    std::string line_;
    bool stationsOpen_ = false;
    bool stationOpen_ = false;  // a station element waits for its end
    bool hasObs_ = false;       // its rawdata element holds pointings
};

}  // namespace

GsiConversionError::GsiConversionError(int lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

GsiLineKind GsiKindOf(std::string_view block) { return KindOfSingleByte(block); }

TGsiWords SplitGsiWords(std::string_view block, GsiLineKind kind) {
    WordView view;
    SplitSingleByte(ToSingleByte(block), kind, view);
    TGsiWords words;
    words.mode = view.mode;
    words.aligned = view.aligned;
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

std::optional<std::string> GsiWordData(std::string_view block, GsiLineKind kind, std::string_view wi) {
    WordView view;
    SplitSingleByte(ToSingleByte(block), kind, view);
    const GsiWord* w = view.Find(wi);
    if (!w) return std::nullopt;
    return ToUtf8(Trim(w->data));
}

TGsiStationHeader ReadGsiStationHeader(std::string_view block, const std::string& headerStyle) {
    WordView words;
    return ReadHeaderSingleByte(ToSingleByte(block), headerStyle, words);
}

TGsiMeasurement ReadGsiMeasurement(std::string_view block, int lengthDecimals, int lineNumber,
                                   std::vector<std::string>* warnings) {
    WordView words;
    return ReadMeasurementSingleByte(ToSingleByte(block), lengthDecimals, lineNumber, warnings, words);
}

std::vector<std::string> SplitGsiBlocks(std::string_view line) {
    const std::string singleByte = ToSingleByte(line);
    std::vector<TGsiBlock> found;
    BlocksOfLine(singleByte, found);
    std::vector<std::string> blocks;
    for (const TGsiBlock& b : found) blocks.push_back(ToUtf8(b.text));
    return blocks;
}

bool ContainsGsiBlock(const std::vector<std::string>& lines) {
    std::string storage;
    std::vector<TGsiBlock> blocks;
    for (const std::string& line : lines) {
        BlocksOfLine(SingleByte(line, storage), blocks);
        for (const TGsiBlock& b : blocks)
            if (KindOfSingleByte(b.text) != GsiLineKind::Other) return true;
    }
    return false;
}

std::string GsiNotARecordingMessage() {
    return "Aucun bloc GSI (mot 11 ou 41) dans le fichier : ce n'est pas un enregistrement GSI, rien n'est écrit.";
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
    TLineCollector collector;
    collector.lines.reserve(lines.size() + 1);
    TGsiBookWriter writer(GsiBookForm::Text, headerStyle, collector, report);
    for (const std::string& line : lines) writer.AddLine(line);
    writer.Finish();
    return std::move(collector.lines);
}

struct TGsiBookWriter::Impl {
    Impl(GsiBookForm form, const std::string& headerStyle, TLineSink& sink, GsiReport* report)
        : book(form == GsiBookForm::Xml ? std::unique_ptr<TGsiBook>(std::make_unique<TXmlBook>(sink))
                                        : std::make_unique<TTextBook>(sink)),
          reader(headerStyle, report, *book) {}
    std::unique_ptr<TGsiBook> book;
    TGsiReader reader;
};

TGsiBookWriter::TGsiBookWriter(GsiBookForm form, const std::string& headerStyle, TLineSink& sink,
                               GsiReport* report)
    : impl_(std::make_unique<Impl>(form, headerStyle, sink, report)) {}

TGsiBookWriter::~TGsiBookWriter() = default;

void TGsiBookWriter::AddLine(std::string_view line) { impl_->reader.Add(line); }

void TGsiBookWriter::Finish() {
    impl_->reader.Finish();
    impl_->book->Finish();
}

std::vector<std::string> GsiToXmlBook(const std::vector<std::string>& lines,
                                      const std::string& headerStyle, GsiReport* report) {
    TLineCollector collector;
    collector.lines.reserve(lines.size() + 12);
    TGsiBookWriter writer(GsiBookForm::Xml, headerStyle, collector, report);
    for (const std::string& line : lines) writer.AddLine(line);
    writer.Finish();
    return std::move(collector.lines);
}

}  // namespace kestrova
