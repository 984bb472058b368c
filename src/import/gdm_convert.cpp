#include "import/gdm_convert.hpp"

#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>

#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "import/xml_attribute.hpp"

namespace kestrova {

namespace {

constexpr const char* kDefaultStationLine = " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ";

struct Record {
    std::string_view label;  // text before the first "=" (the whole line without one)
    std::string_view value;  // text after it
    bool hasEquals = false;
};

Record Split(std::string_view line) {
    Record r;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        r.label = line;
        return r;
    }
    r.label = line.substr(0, eq);
    r.value = line.substr(eq + 1);
    r.hasEquals = true;
    return r;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool Is(const Record& r, std::string_view label) { return r.hasEquals && r.label == label; }

bool IsOneOf(const Record& r, std::initializer_list<std::string_view> labels) {
    if (!r.hasEquals) return false;
    for (std::string_view l : labels)
        if (r.label == l) return true;
    return false;
}

std::optional<double> Number(std::string_view text) { return TextToDouble(Trim(text), false); }

// Current weather of both routes, changed by "56=" and "74=" records.
struct Weather {
    std::string temp = "12.0";
    std::string press = "760.1";

    // Characters 4-7 (temperature) and 4-10 (pressure, hPa to mmHg) of
    // the line; a value that is not a number changes nothing.
    void Read(const Record& r, const std::string& line) {
        if (r.label == "56") {
            if (auto t = Number(Utf8Mid(line, 3, 4))) temp = Format("%-8.1f", *t);
        } else if (r.label == "74") {
            if (auto p = Number(Utf8Mid(line, 3, 7))) press = Format("%-8.1f", *p * 0.75);
        }
    }
};

// Sign, digits, optional "." and digits: the only form the text route
// rewrites. Returns the sign, integer and decimal digits.
bool SplitDecimal(std::string_view text, std::string& sign, std::string& integer, std::string& decimals) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) sign = std::string(1, text[i++]);
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            (point ? decimals : integer) += c;
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::string FixedDigits(std::string_view value, size_t integerDigits, const std::string& noInteger,
                        size_t decimalDigits) {
    std::string sign, integer, decimals;
    if (!SplitDecimal(Trim(value), sign, integer, decimals)) throw std::invalid_argument("not a number");
    if (integer.empty()) integer = noInteger;
    else if (integer.size() < integerDigits) integer.insert(0, integerDigits - integer.size(), '0');
    decimals.resize(decimalDigits, '0');
    return sign + integer + "." + decimals;
}

// Characters from the third up to the first blank (the value of a
// one-character label).
std::string UpToBlank(std::string_view line) {
    std::string rest = Utf8Mid(line, 2);
    const size_t blank = rest.find(' ');
    if (blank != std::string::npos) rest.resize(blank);
    return rest;
}

// The value of a record up to its first blank.
std::string_view ValueWord(const Record& r) {
    std::string_view v = r.value;
    const size_t blank = v.find(' ');
    return blank == std::string_view::npos ? v : v.substr(0, blank);
}

struct SourceLine {
    long long number = 0;  // from 1
    std::string text;
};

}  // namespace

GdmConversionError::GdmConversionError(long long lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

std::optional<GdmAngleUnit> ParseGdmAngleUnit(std::string_view text) {
    const std::string t = Trim(text);
    if (t == "gon") return GdmAngleUnit::Gon;
    if (t == "dms") return GdmAngleUnit::Dms;
    if (t == "deg") return GdmAngleUnit::Degrees;
    return std::nullopt;
}

const char* GdmAngleUnitKey(GdmAngleUnit unit) {
    switch (unit) {
        case GdmAngleUnit::Dms: return "dms";
        case GdmAngleUnit::Degrees: return "deg";
        default: return "gon";
    }
}

const char* GdmAngleUnitName(GdmAngleUnit unit) {
    switch (unit) {
        case GdmAngleUnit::Dms: return "degrés ddd.mmss";
        case GdmAngleUnit::Degrees: return "degrés décimaux";
        default: return "grades";
    }
}

double GdmAngleToGon(double value, GdmAngleUnit unit) {
    if (unit == GdmAngleUnit::Gon) return value;
    double degrees = value;
    if (unit == GdmAngleUnit::Dms) {
        const double a = std::fabs(value);
        // Rounded to 1e-9 of a degree first, so that 84.0459 is 84°04'59"
        // and not 84°04'58.99999".
        const double scaled = std::round(a * 1e9) / 1e9;
        const double d = std::floor(scaled);
        const double minutesAndSeconds = (scaled - d) * 100.0;
        const double m = std::floor(minutesAndSeconds + 1e-7);
        const double s = (minutesAndSeconds - m) * 100.0;
        degrees = d + m / 60.0 + s / 3600.0;
        if (value < 0) degrees = -degrees;
    }
    return degrees * 400.0 / 360.0;
}

bool LooksLikeDms(std::string_view text) {
    std::string sign, integer, decimals;
    if (!SplitDecimal(Trim(text), sign, integer, decimals) || sign == "-") return false;
    decimals.resize(std::max<size_t>(decimals.size(), 4), '0');
    const int minutes = (decimals[0] - '0') * 10 + (decimals[1] - '0');
    const int seconds = (decimals[2] - '0') * 10 + (decimals[3] - '0');
    const double value = TextToDouble(Trim(text), false).value_or(1e9);
    return minutes < 60 && seconds < 60 && value <= 360.0;
}

double NormaliseHeight(double height) {
    if (height < 5.0) return height;
    if (height < 50.0) return height / 10.0;
    if (height < 500.0) return height / 100.0;
    if (height < 5000.0) return height / 1000.0;
    return height / 10000.0;
}

std::string FormatAngleText(std::string_view value) { return FixedDigits(value, 3, "000", 5); }

std::string FormatDistanceText(std::string_view value) { return FixedDigits(value, 4, "    ", 4); }

bool IsGdmStationRecord(std::string_view line) { return Is(Split(line), "2"); }

class TGdmBookWriter::Impl {
public:
    Impl(GdmBookForm form, GdmAngleUnit unit, bool hasStation, TLineSink& sink)
        : text_(form == GdmBookForm::Text), chosen_(unit), sink_(sink) {
        if (text_) {
            if (!hasStation) sink_.Add(kDefaultStationLine);
        } else {
            sink_.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
            sink_.Add("<carnet>");
        }
    }

    void AddLine(std::string_view view) {
        ++lineNumber_;
        if (view.empty()) return;
        if (view.find('\0') != std::string_view::npos)
            throw GdmConversionError(lineNumber_,
                                     Format("ligne %d : octet nul : le fichier est binaire ou encodé en UTF-16, un "
                                            "fichier GDM (Trimble) en texte « étiquette=valeur » est attendu.",
                                            lineNumber_));
        const Record r = Split(view);
        if (r.hasEquals && AllDigits(r.label)) ++report_.records;
        else ++report_.foreignLines;
        if (Is(r, "23")) ReadUnits(r);
        if (Is(r, "2") || Is(r, "5")) {
            FlushBlock();
            ++pointRecords_;
        } else if (block_.empty()) {
            // Before the first station or target: only the weather counts.
            weather_.Read(r, std::string(view));
            return;
        }
        block_.push_back(SourceLine{lineNumber_, std::string(view)});
    }

    GdmReport Finish() {
        FlushBlock();
        if (pointRecords_ == 0)
            throw GdmConversionError(0, "Aucun enregistrement de station (2=) ni de point visé (5=) dans le fichier : "
                                        "un fichier GDM (Trimble) de lignes « étiquette=valeur » est attendu.");
        if (!text_) {
            CloseStation();
            sink_.Add(stationsOpen_ ? "   </stations>" : "   <stations />");
            sink_.Add("</carnet>");
        }
        if (report_.skippedTargets == 1)
            report_.warnings.push_back("1 point visé sans angle ni distance (bloc « 5= » sans mesure : visée de la "
                                       "station sur elle-même ?) n'est pas repris dans le carnet.");
        else if (report_.skippedTargets > 1)
            report_.warnings.push_back(Format("%d points visés sans angle ni distance (blocs « 5= » sans mesure : "
                                              "visées de la station sur elle-même ?) ne sont pas repris dans le "
                                              "carnet.",
                                              report_.skippedTargets));
        if (Unit() == GdmAngleUnit::Gon && angles_ > 0 && allDms_)
            report_.warnings.push_back(Format(
                "Les %d angles du fichier s'écrivent tous comme des degrés ddd.mmss (minutes et secondes sous 60, "
                "aucun au-delà de 360) : le fichier semble être en degrés, alors que ses angles sont lus en grades. "
                "Choisissez l'unité d'angle « dms » (option --angles dms) si c'est le cas.",
                angles_));
        if (report_.foreignLines > report_.records)
            report_.warnings.push_back(Format("%d lignes sur %d ne sont pas des enregistrements GDM (étiquette=valeur) "
                                              "et sont ignorées.",
                                              report_.foreignLines, report_.foreignLines + report_.records));
        return std::move(report_);
    }

private:
    GdmAngleUnit Unit() const { return unitFromFile_ ? *unitFromFile_ : chosen_; }

    // "23=2112": angles ddd.mmss, distances in metres.
    void ReadUnits(const Record& r) {
        const std::string value = Trim(r.value);
        if (value == "2112") {
            unitFromFile_ = GdmAngleUnit::Dms;
            return;
        }
        report_.warnings.push_back(Format("ligne %d : unités « 23=%s » non reconnues (seul 2112, degrés ddd.mmss et "
                                          "mètres, est connu) : les angles sont lus en %s.",
                                          lineNumber_, value, GdmAngleUnitName(Unit())));
    }

    [[noreturn]] static void Unreadable(const SourceLine& l, const Record& f) {
        throw GdmConversionError(l.number, Format("Erreur de conversion GDM à la ligne %d : valeur \"%s\" de "
                                                  "l'étiquette %s illisible.",
                                                  l.number, std::string(f.value), std::string(f.label)));
    }

    // The number of an angle or distance record; stops the conversion when
    // it is not one. `plain`: the text route's form only (no exponent).
    double Value(const SourceLine& l, const Record& f, std::string_view text, bool plain) {
        std::string sign, integer, decimals;
        std::optional<double> v;
        if (!plain || SplitDecimal(Trim(text), sign, integer, decimals)) v = TextToDouble(Trim(text), true);
        if (!v || !std::isfinite(*v)) Unreadable(l, f);
        return *v;
    }

    double Angle(const SourceLine& l, const Record& f, std::string_view text, bool plain) {
        const double v = Value(l, f, text, plain);
        ++angles_;
        if (allDms_ && !LooksLikeDms(text)) allDms_ = false;
        return GdmAngleToGon(v, Unit());
    }

    // Text of a converted angle or distance in the route's form.
    std::string TextAngle(const SourceLine& l, const Record& f, double& gon) {
        gon = Angle(l, f, f.value, true);
        try {
            return FormatAngleText(Unit() == GdmAngleUnit::Gon ? std::string(f.value) : FormatFixed(gon, 5));
        } catch (const std::invalid_argument&) {
            Unreadable(l, f);
        }
    }

    // Slope distance of a horizontal distance and the zenith angle (gons);
    // nothing, with a warning naming the line, without a usable angle.
    std::optional<double> SlopeOf(const SourceLine& l, const std::string& target, double hd,
                                  std::optional<double> zenith) {
        const double s = zenith ? std::sin(*zenith * std::numbers::pi / 200.0) : 0.0;
        if (!zenith || std::fabs(s) < 1e-9) {
            report_.warnings.push_back(Format("ligne %d : distance horizontale du point %s sans angle zénithal : "
                                              "elle n'est pas reprise.",
                                              l.number, target));
            return std::nullopt;
        }
        return hd / s;
    }

    void FlushBlock() {
        if (block_.empty()) return;
        const Record r = Split(block_.front().text);
        if (r.label == "2") {
            ++report_.stationCount;
            if (text_) TextStation(r);
            else XmlStation();
        } else if (text_) {
            TextTarget(r);
        } else {
            XmlTarget();
        }
        for (size_t i = 1; i < block_.size(); ++i) weather_.Read(Split(block_[i].text), block_[i].text);
        block_.clear();
    }

    // ------------------------------------------------------ text route

    void TextStation(const Record& r) {
        std::string name = Trim(r.value);
        if (name.empty()) name = "0";
        std::string height;
        for (size_t j = 1; j < block_.size(); ++j) {
            const Record h = Split(block_[j].text);
            if (!Is(h, "3")) continue;
            if (auto v = Number(h.value)) height = Format("%-8.4f", NormaliseHeight(*v));
        }
        sink_.Add(" station " + Format("%-8s", name) + " Temp_deg " + Format("%-8s", weather_.temp) + " Press_mmHg " +
                  Format("%-8s", weather_.press) + " ht_m " + height);
    }

    void TextTarget(const Record& r) {
        const std::string name = Trim(r.value);
        std::string hv = Format("%-8.3f", 0.0);
        std::string hz = "000.0000";
        std::string v = "000.0000";
        std::string dp = "0000.0000";
        std::optional<double> zenith;
        std::optional<double> horizontal;
        const SourceLine* horizontalLine = nullptr;
        bool slope = false;
        bool measured = false;
        for (size_t j = 1; j < block_.size(); ++j) {
            const SourceLine& l = block_[j];
            const Record f = Split(l.text);
            if (!f.hasEquals) continue;
            double gon = 0.0;
            if (f.label == "6") {
                const auto h = Number(f.value);
                hv = h ? Format("%-8.4f", NormaliseHeight(*h)) : std::string(f.value);
            } else if (IsOneOf(f, {"7", "17", "21", "24"})) {
                hz = TextAngle(l, f, gon);
                measured = true;
            } else if (IsOneOf(f, {"8", "18", "25"})) {
                v = TextAngle(l, f, gon);
                zenith = gon;
                measured = true;
            } else if (f.label == "9") {
                try {
                    dp = FormatDistanceText(f.value);
                } catch (const std::invalid_argument&) {
                    Unreadable(l, f);
                }
                slope = true;
                measured = true;
            } else if (f.label == "11") {
                horizontal = Value(l, f, f.value, true);
                horizontalLine = &l;
            }
        }
        if (horizontal && !slope)
            if (auto d = SlopeOf(*horizontalLine, name, *horizontal, zenith)) {
                dp = FormatDistanceText(FormatFixed(*d, 4));
                measured = true;
            }
        // A block without any angle or distance is no pointing (it would
        // give a direction of 0 to the point).
        if (!measured) {
            ++report_.skippedTargets;
            return;
        }
        sink_.Add("  numero " + Format("%-16s", name) + " AH_gr " + hz + " AV_gr " + v + " Dp_m  " + dp +
                  " ppm_cste_mm 0000+000 hv_m " + hv);
    }

    // ------------------------------------------------------- XML route

    void XmlStation() {
        obsCounter_ = 0;
        // The "3=" records of the block: characters 3-7; no record gives
        // "0.000   ", a value that is not a number the previous station's
        // height.
        std::string height = Format("%-8.3f", 0.0);
        for (size_t j = 1; j < block_.size(); ++j) {
            if (!Is(Split(block_[j].text), "3")) continue;
            const auto v = Number(Utf8Mid(block_[j].text, 2, 5));
            height = v ? Format("%-8.3f", NormaliseHeight(*v)) : lastHeight_;
        }
        lastHeight_ = height;
        OpenStation(report_.stationCount, UpToBlank(block_.front().text), height, weather_.temp, weather_.press);
    }

    void OpenStation(int num, const std::string& name, const std::string& height, const std::string& temp,
                     const std::string& press) {
        CloseStation();
        if (!stationsOpen_) {
            sink_.Add("   <stations>");
            stationsOpen_ = true;
        }
        std::string l = "      <station";
        AppendXmlAttribute(l, "num", std::to_string(num));
        AppendXmlAttribute(l, "pt_sta", name);
        AppendXmlAttribute(l, "temp", temp);
        AppendXmlAttribute(l, "press", press);
        AppendXmlAttribute(l, "Ht", height);
        AppendXmlAttribute(l, "etalonnage", "0");
        l += '>';
        sink_.Add(l);
        stationOpen_ = true;
        hasObs_ = false;
    }

    // An angle as the XML book holds it: as recorded for gons, else the
    // converted value.
    std::string XmlAngle(const SourceLine& l, const Record& f, double& gon) {
        const std::string_view word = ValueWord(f);
        gon = Angle(l, f, word, false);
        return Unit() == GdmAngleUnit::Gon ? std::string(word) : FormatFixed(gon, 5);
    }

    void XmlTarget() {
        const std::string name = UpToBlank(block_.front().text);
        std::string hv = "0.000";
        std::optional<std::string> hzLeft, hzRight, vLeft, vRight, dp;
        std::optional<double> zenithLeft, zenithRight, horizontal;
        const SourceLine* horizontalLine = nullptr;
        for (size_t j = 1; j < block_.size(); ++j) {
            const SourceLine& l = block_[j];
            const Record f = Split(l.text);
            if (!f.hasEquals) continue;
            double gon = 0.0;
            if (f.label == "6") {
                const auto h = Number(Utf8Mid(l.text, 2, 5));
                hv = h ? Format("%-8.4f", NormaliseHeight(*h)) : lastHv_;
            } else if (IsOneOf(f, {"7", "21", "24"})) {
                hzLeft = XmlAngle(l, f, gon);
            } else if (f.label == "17") {
                hzRight = XmlAngle(l, f, gon);
            } else if (IsOneOf(f, {"8", "25"})) {
                vLeft = XmlAngle(l, f, gon);
                zenithLeft = gon;
            } else if (f.label == "18") {
                vRight = XmlAngle(l, f, gon);
                zenithRight = gon;
            } else if (f.label == "9") {
                Value(l, f, ValueWord(f), false);
                dp = std::string(ValueWord(f));
            } else if (f.label == "11") {
                horizontal = Value(l, f, ValueWord(f), false);
                horizontalLine = &l;
            }
        }
        const std::optional<std::string>& hz = hzLeft ? hzLeft : hzRight;
        const std::optional<std::string>& v = vLeft ? vLeft : vRight;
        if (!dp && horizontal)
            if (auto d = SlopeOf(*horizontalLine, name, *horizontal, zenithLeft ? zenithLeft : zenithRight))
                dp = FormatFixed(*d, 4);
        if (!hz && !v && !dp) {
            ++report_.skippedTargets;
            return;
        }
        lastHv_ = hv;
        if (!stationOpen_) OpenStation(1, "0", "0.000", "12.0", "760.1");
        if (!hasObs_) {
            sink_.Add("         <rawdata>");
            hasObs_ = true;
        }
        std::string l = "            <obs";
        AppendXmlAttribute(l, "num", std::to_string(++obsCounter_));
        AppendXmlAttribute(l, "pt_vis", name);
        AppendXmlAttribute(l, "Hv", hv);
        AppendXmlAttribute(l, "Hz", hz.value_or(""));
        AppendXmlAttribute(l, "V", v.value_or(""));
        AppendXmlAttribute(l, "Dp", dp.value_or(""));
        AppendXmlAttribute(l, "ppm", "0");
        AppendXmlAttribute(l, "cste", "0");
        l += " />";
        sink_.Add(l);
    }

    void CloseStation() {
        if (!stationOpen_) return;
        sink_.Add(hasObs_ ? "         </rawdata>" : "         <rawdata />");
        sink_.Add("      </station>");
        stationOpen_ = false;
    }

    const bool text_;
    const GdmAngleUnit chosen_;
    std::optional<GdmAngleUnit> unitFromFile_;
    TLineSink& sink_;
    GdmReport report_;
    Weather weather_;
    std::vector<SourceLine> block_;  // the record opening the block first
    long long lineNumber_ = 0;
    long long pointRecords_ = 0;  // "2=" and "5=" records
    int angles_ = 0;
    bool allDms_ = true;
    // XML route
    std::string lastHeight_;  // "Ht" of the previous station
    std::string lastHv_;      // "Hv" of the previous target
    int obsCounter_ = 0;
    bool stationsOpen_ = false;
    bool stationOpen_ = false;
    bool hasObs_ = false;
};

TGdmBookWriter::TGdmBookWriter(GdmBookForm form, GdmAngleUnit unit, bool hasStation, TLineSink& sink)
    : impl_(std::make_unique<Impl>(form, unit, hasStation, sink)) {}

TGdmBookWriter::~TGdmBookWriter() = default;

void TGdmBookWriter::AddLine(std::string_view line) { impl_->AddLine(line); }

GdmReport TGdmBookWriter::Finish() { return impl_->Finish(); }

namespace {

GdmBook Convert(const std::vector<std::string>& lines, GdmBookForm form, GdmAngleUnit unit) {
    bool hasStation = false;
    for (const std::string& l : lines)
        if ((hasStation = IsGdmStationRecord(l))) break;
    TLineCollector collector;
    TGdmBookWriter writer(form, unit, hasStation, collector);
    for (const std::string& l : lines) writer.AddLine(l);
    GdmReport report = writer.Finish();
    GdmBook book;
    book.lines = std::move(collector.lines);
    book.stationCount = report.stationCount;
    book.warnings = std::move(report.warnings);
    return book;
}

}  // namespace

GdmBook GdmToTextBook(const std::vector<std::string>& lines, GdmAngleUnit unit) {
    return Convert(lines, GdmBookForm::Text, unit);
}

GdmBook GdmToXmlBook(const std::vector<std::string>& lines, GdmAngleUnit unit) {
    return Convert(lines, GdmBookForm::Xml, unit);
}

}  // namespace kestrova
