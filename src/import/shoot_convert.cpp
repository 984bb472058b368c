#include "import/shoot_convert.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "import/xml_attribute.hpp"

namespace kestrova {

const char* const kShootMissingHeader =
    "Fichier SHOOT (Pivra ou Ondil) : entête manquante ! Entête par défaut : DATE TIME CYCLE TARGET HZ V DIST FOUND";

const char* const kShootNoShot =
    "Aucun tir lu dans le fichier SHOOT : une ligne d'en-tête (DATE TIME CYCLE TARGET HZ V DIST FOUND) puis une "
    "ligne par tir, au numéro de cycle entier, sont attendues.";

namespace {

enum Column { kDate, kTime, kCycle, kTarget, kHz, kV, kDist, kFound, kColumns };
constexpr std::array<const char*, kColumns> kNames = {"DATE", "TIME", "CYCLE", "TARGET", "HZ", "V", "DIST", "FOUND"};

using Columns = std::array<size_t, kColumns>;

Columns DefaultColumns() { return {0, 1, 2, 3, 4, 5, 6, 7}; }

// Columns of the header line; false when one of the names is missing
// from it (the default columns are then used).
bool ReadHeader(std::string line, Columns& columns) {
    columns = DefaultColumns();
    std::replace(line.begin(), line.end(), '\t', ' ');
    for (const char* name : kNames)
        if (line.find(name) == std::string::npos) return false;
    const TLineFields f = SplitLineFields(line);
    for (size_t c = 0; c < kColumns; ++c) {
        for (size_t i = 0; i < f.fields.size(); ++i) {
            if (f.fields[i] == kNames[c]) {
                columns[c] = i;
                break;
            }
        }
    }
    return true;
}

std::optional<int> Digits(std::string_view text, size_t start, size_t count) {
    const auto v = TextToInt(Utf8Mid(text, start, count));
    if (!v || *v < -100000 || *v > 100000) return std::nullopt;
    return static_cast<int>(*v);
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A direction, zenith angle or distance of a shot: a value that is not a
// number stops the conversion (a 0 written in its place would be taken for
// a measure).
double Measure(const TLineFields& f, const Columns& col, Column c, int lineNumber) {
    const std::string& text = f.fields[col[c]];
    const auto v = TextToDouble(text, true);
    if (!v || !std::isfinite(*v))
        throw ShootConversionError(lineNumber, Format("Fichier SHOOT, ligne %d : champ %s \"%s\" illisible, un nombre "
                                                      "est attendu.",
                                                      lineNumber, kNames[c], text));
    return *v;
}

std::string Replaced(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// One cycle on its way to both books.
class Writer {
public:
    Writer(const ShootSinks& sinks, int angleDecimals, int lengthDecimals)
        : sinks_(sinks),
          angle_(angleDecimals < 0 ? 6 : angleDecimals),
          length_(lengthDecimals < 0 ? 6 : lengthDecimals),
          text_(&sinks.text()) {}

    void Add(const TShoot& shot, bool newCycle) {
        if (newCycle) {
            Flush();
            text_->Add(" station 1000 Temp_deg 12.0 Press_mmHg 760.0 ht_m 0.000");
            first_ = shot;
        }
        last_ = shot;
        line_.assign("  numero ");
        AppendPadRight(line_, shot.target, 8);
        line_ += " AH_gr ";
        AppendFixed(line_, shot.hz, angle_, 10);
        line_ += " AV_gr ";
        AppendFixed(line_, shot.v, angle_, 10);
        line_ += " Dp_m ";
        AppendFixed(line_, shot.dist, length_, 10);
        line_ += " ppm_cste_mm 0000+000 hv_m 0.000";
        text_->Add(line_);

        line_.assign("        <obs");
        AppendXmlAttribute(line_, "pt_vis", shot.target);
        AppendXmlAttribute(line_, "Hz", FixedText(shot.hz, angle_));
        AppendXmlAttribute(line_, "V", FixedText(shot.v, angle_));
        AppendXmlAttribute(line_, "Dp", FixedText(shot.dist, length_));
        line_ += " Hv=\"0.0\" ppm=\"0.0\" cste=\"0.0\" />";
        obs_.push_back(line_);
    }

    // Ends the books; returns the number of cycles.
    int Finish() {
        Flush();
        if (xml_) {
            xml_->Add("  </stations>");
            xml_->Add("</carnet>");
        }
        return cycles_;
    }

private:
    void Flush() {
        if (obs_.empty()) return;
        if (!xml_) {
            xml_ = &sinks_.xml();
            xml_->Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
            xml_->Add("<carnet>");
            xml_->Add("  <stations>");
        }
        std::string l = "    <station";
        AppendXmlAttribute(l, "num", std::to_string(++cycles_));
        AppendXmlAttribute(l, "cycle", std::to_string(first_.cycle));
        l += " pt_sta=\"1000\" temp=\"12.0\" press=\"760.0\" Ht=\"0.0\" etalonnage=\"0\"";
        AppendXmlAttribute(l, "date_debut", Replaced(first_.date, '/', '-'));
        AppendXmlAttribute(l, "heure_debut", Replaced(first_.time, ':', '-'));
        AppendXmlAttribute(l, "DOY_debut", std::to_string(first_.dayOfYear));
        AppendXmlAttribute(l, "dsec_debut", std::to_string(first_.secondOfDay));
        AppendXmlAttribute(l, "date_fin", Replaced(last_.date, '/', '-'));
        AppendXmlAttribute(l, "heure_fin", Replaced(last_.time, ':', '-'));
        AppendXmlAttribute(l, "DOY_fin", std::to_string(last_.dayOfYear));
        AppendXmlAttribute(l, "dsec_fin", std::to_string(last_.secondOfDay));
        l += '>';
        xml_->Add(l);
        xml_->Add("      <rawdata>");
        for (const std::string& o : obs_) xml_->Add(o);
        xml_->Add("      </rawdata>");
        xml_->Add("    </station>");
        obs_.clear();
    }

    const ShootSinks& sinks_;
    int angle_, length_;
    TLineSink* text_;
    TLineSink* xml_ = nullptr;
    std::vector<std::string> obs_;  // XML lines of the current cycle
    TShoot first_, last_;
    std::string line_;
    int cycles_ = 0;
};

}  // namespace

ShootConversionError::ShootConversionError(int lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

bool ReadShootDate(std::string_view date, int& dayOfYear) {
    const auto d = Digits(date, 0, 2), m = Digits(date, 3, 2), y = Digits(date, 6, 4);
    if (!d || !m || !y || *y < 1 || *y > 9999 || *m < 1 || *m > 12) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = LeapYear(*y);
    const int inMonth = kDays[*m - 1] + (*m == 2 && leap ? 1 : 0);
    if (*d < 1 || *d > inMonth) return false;
    int doy = *d;
    for (int k = 1; k < *m; ++k) doy += kDays[k - 1] + (k == 2 && leap ? 1 : 0);
    dayOfYear = doy;
    return true;
}

bool ReadShootTime(std::string_view time, int& secondOfDay) {
    const auto h = Digits(time, 0, 2), m = Digits(time, 3, 2), s = Digits(time, 6, 2);
    if (!h || !m || !s || *h < 0 || *h > 23 || *m < 0 || *m > 59 || *s < 0 || *s > 59) return false;
    secondOfDay = *h * 3600 + *m * 60 + *s;
    return true;
}

ShootReport ConvertShoot(const std::function<bool(std::string&)>& next, const ShootSinks& sinks,
                         int angleDecimals, int lengthDecimals, TProgress& progress, long long totalLines) {
    ShootReport report;
    Writer writer(sinks, angleDecimals, lengthDecimals);
    std::string line;
    long long lineNumber = 0;
    // A NUL byte is in no text file: the log is binary or UTF-16.
    auto nextText = [&](std::string& l) {
        if (!next(l)) return false;
        ++lineNumber;
        if (l.find('\0') != std::string::npos)
            throw ShootConversionError(static_cast<int>(std::min<long long>(lineNumber, 0x7FFFFFFF)),
                                       Format("Fichier SHOOT, ligne %d : octet nul : le fichier est binaire ou encodé "
                                              "en UTF-16, un fichier SHOOT en texte est attendu (colonnes DATE TIME "
                                              "CYCLE TARGET HZ V DIST FOUND).",
                                              lineNumber));
        return true;
    };
    Columns col = DefaultColumns();
    if (nextText(line) && !ReadHeader(line, col)) report.warnings.push_back(kShootMissingHeader);

    TShoot shot;
    bool any = false;
    long long previousCycle = 0;
    for (long long index = 1; nextText(line); ++index) {
        if ((index & 0x1FFF) == 0) progress.Advance(static_cast<double>(index), static_cast<double>(totalLines));
        for (char& c : line) {
            if (c == ',') c = '.';
            else if (c == '\t') c = ' ';
        }
        const TLineFields f = SplitLineFields(line);
        const std::string& cycleText = f.fields[col[kCycle]];
        if (!IsNumericText(cycleText, false)) continue;
        const int lineNumber = static_cast<int>(std::min<long long>(index + 1, 0x7FFFFFFF));
        const auto cycle = TextToInt(cycleText);
        if (!cycle)
            throw ShootConversionError(lineNumber, Format("Fichier SHOOT, ligne %d : numéro de cycle \"%s\" illisible.",
                                                          lineNumber, cycleText));
        shot.date = f.fields[col[kDate]];
        shot.time = f.fields[col[kTime]];
        if (!ReadShootDate(shot.date, shot.dayOfYear))
            throw ShootConversionError(lineNumber, Format("Fichier SHOOT, ligne %d : date \"%s\" impossible.",
                                                          lineNumber, shot.date));
        if (!ReadShootTime(shot.time, shot.secondOfDay))
            throw ShootConversionError(lineNumber, Format("Fichier SHOOT, ligne %d : heure \"%s\" impossible.",
                                                          lineNumber, shot.time));
        shot.cycle = *cycle;
        shot.target = f.fields[col[kTarget]];
        shot.hz = Measure(f, col, kHz, lineNumber);
        shot.v = Measure(f, col, kV, lineNumber);
        shot.dist = Measure(f, col, kDist, lineNumber);
        shot.found = static_cast<int>(TextToIntOr(f.fields[col[kFound]], 0) & 0xFF);
        const bool newCycle = !any || shot.cycle != previousCycle;
        writer.Add(shot, newCycle);
        any = true;
        previousCycle = shot.cycle;
        ++report.shots;
    }
    if (report.shots == 0) throw ShootConversionError(0, kShootNoShot);
    report.cycles = writer.Finish();
    return report;
}

ShootBooks ShootToBooks(const std::vector<std::string>& lines, int angleDecimals, int lengthDecimals,
                        TProgress& progress) {
    ShootBooks books;
    TLineCollector text, xml;
    size_t i = 0;
    books.report = ConvertShoot(
        [&](std::string& line) {
            if (i >= lines.size()) return false;
            line = lines[i++];
            return true;
        },
        ShootSinks{[&]() -> TLineSink& { return text; }, [&]() -> TLineSink& { return xml; }}, angleDecimals,
        lengthDecimals, progress, static_cast<long long>(lines.size()));
    books.text = std::move(text.lines);
    books.xml = std::move(xml.lines);
    return books;
}

}  // namespace kestrova
