#include "import/gdm_convert.hpp"

#include <cstddef>
#include <optional>

#include "base/format.hpp"
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

// The lines after `index` up to the next "2=" or "5=" record (exclusive).
size_t BlockEnd(const std::vector<std::string>& lines, size_t index) {
    size_t j = index + 1;
    for (; j < lines.size(); ++j) {
        const Record r = Split(lines[j]);
        if (r.hasEquals && (r.label == "2" || r.label == "5")) break;
    }
    return j;
}

std::optional<double> Number(std::string_view text) { return TextToDouble(Trim(text), false); }

// Current weather of both routes, changed by "56=" and "74=" records.
struct Weather {
    std::string temp = "12.0";
    std::string press = "760.1";

    // Characters 4-7 (temperature) and 4-10 (pressure, hPa to mmHg) of
    // the line; a value that is not a number changes nothing.
    bool Read(const Record& r, const std::string& line) {
        if (r.label == "56") {
            if (auto t = Number(Utf8Mid(line, 3, 4))) temp = Format("%-8.1f", *t);
            return true;
        }
        if (r.label == "74") {
            if (auto p = Number(Utf8Mid(line, 3, 7))) press = Format("%-8.1f", *p * 0.75);
            return true;
        }
        return false;
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

// ------------------------------------------------------------ text route

class TextRoute {
public:
    explicit TextRoute(const std::vector<std::string>& lines) : lines_(lines) {}

    GdmBook Run() {
        GdmBook book;
        book.lines.reserve(lines_.size() / 4 + 1);
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].empty()) continue;
            const Record r = Split(lines_[i]);
            if (weather_.Read(r, lines_[i])) continue;
            if (r.label == "2") {
                ++book.stationCount;
                book.lines.push_back(Station(r, i));
            } else if (r.label == "5") {
                book.lines.push_back(Target(r, i));
            }
        }
        if (book.stationCount == 0) book.lines.insert(book.lines.begin(), kDefaultStationLine);
        return book;
    }

private:
    std::string Station(const Record& r, size_t index) const {
        std::string name = Trim(r.value);
        if (name.empty()) name = "0";
        std::string height;
        const size_t end = BlockEnd(lines_, index);
        for (size_t j = index + 1; j < end; ++j) {
            const Record h = Split(lines_[j]);
            if (h.label != "3" || !h.hasEquals) continue;
            if (auto v = Number(h.value)) height = Format("%-8.4f", NormaliseHeight(*v));
        }
        return " station " + Format("%-8s", name) + " Temp_deg " + Format("%-8s", weather_.temp) + " Press_mmHg " +
               Format("%-8s", weather_.press) + " ht_m " + height;
    }

    std::string Target(const Record& r, size_t index) const {
        const std::string name = Trim(r.value);
        std::string hv = Format("%-8.3f", 0.0);
        std::string hz = "000.0000";
        std::string v = "000.0000";
        std::string dp = "0000.0000";
        const size_t end = BlockEnd(lines_, index);
        for (size_t j = index + 1; j < end; ++j) {
            const Record f = Split(lines_[j]);
            if (!f.hasEquals) continue;
            if (f.label == "6") {
                const auto h = Number(f.value);
                hv = h ? Format("%-8.4f", NormaliseHeight(*h)) : std::string(f.value);
            } else if (f.label == "7" || f.label == "17") {
                hz = Checked(FormatAngleText, f, j);
            } else if (f.label == "8" || f.label == "18") {
                v = Checked(FormatAngleText, f, j);
            } else if (f.label == "9") {
                dp = Checked(FormatDistanceText, f, j);
            }
        }
        return "  numero " + Format("%-16s", name) + " AH_gr " + hz + " AV_gr " + v + " Dp_m  " + dp +
               " ppm_cste_mm 0000+000 hv_m " + hv;
    }

    static std::string Checked(std::string (*format)(std::string_view), const Record& f, size_t index) {
        try {
            return format(f.value);
        } catch (const std::invalid_argument&) {
            const int line = static_cast<int>(index) + 1;
            throw GdmConversionError(line, Format("Erreur de conversion GDM à la ligne %d : valeur \"%s\" de "
                                                  "l'étiquette %s illisible.",
                                                  line, std::string(f.value), std::string(f.label)));
        }
    }

    const std::vector<std::string>& lines_;
    Weather weather_;
};

// ------------------------------------------------------------- XML route

// Characters from the third up to the first blank (the value of a
// one-character label).
std::string UpToBlank(const std::string& line) {
    std::string rest = Utf8Mid(line, 2);
    const size_t blank = rest.find(' ');
    if (blank != std::string::npos) rest.resize(blank);
    return rest;
}

class XmlRoute {
public:
    explicit XmlRoute(const std::vector<std::string>& lines) : lines_(lines) {}

    GdmBook Run() {
        GdmBook book;
        out_ = &book.lines;
        out_->push_back("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
        out_->push_back("<carnet>");
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].empty()) continue;
            const Record r = Split(lines_[i]);
            if (!r.hasEquals || weather_.Read(r, lines_[i])) continue;
            if (r.label == "2") {
                obsCounter_ = 0;
                ++book.stationCount;
                Station(book.stationCount, UpToBlank(lines_[i]), StationHeight(i));
            } else if (r.label == "5") {
                if (!stationOpen_) Station(1, "0", "0.000", "12.0", "760.1");
                Target(i);
            }
        }
        CloseStation();
        out_->push_back(stationsOpen_ ? "   </stations>" : "   <stations />");
        out_->push_back("</carnet>");
        return book;
    }

private:
    // The "3=" records of the station's block: characters 3-7; no record
    // gives "0.000   ", a value that is not a number the previous
    // station's height.
    std::string StationHeight(size_t index) {
        std::string height = Format("%-8.3f", 0.0);
        const size_t end = BlockEnd(lines_, index);
        for (size_t j = index + 1; j < end; ++j) {
            const Record h = Split(lines_[j]);
            if (!h.hasEquals || h.label != "3") continue;
            const auto v = Number(Utf8Mid(lines_[j], 2, 5));
            height = v ? Format("%-8.3f", NormaliseHeight(*v)) : lastHeight_;
        }
        lastHeight_ = height;
        return height;
    }

    void Station(int num, const std::string& name, const std::string& height, const std::string& temp = {},
                 const std::string& press = {}) {
        CloseStation();
        if (!stationsOpen_) {
            out_->push_back("   <stations>");
            stationsOpen_ = true;
        }
        std::string l = "      <station";
        AppendXmlAttribute(l, "num", std::to_string(num));
        AppendXmlAttribute(l, "pt_sta", name);
        AppendXmlAttribute(l, "temp", temp.empty() ? weather_.temp : temp);
        AppendXmlAttribute(l, "press", press.empty() ? weather_.press : press);
        AppendXmlAttribute(l, "Ht", height);
        AppendXmlAttribute(l, "etalonnage", "0");
        l += '>';
        out_->push_back(std::move(l));
        stationOpen_ = true;
        hasObs_ = false;
    }

    void Target(size_t index) {
        std::string hv = "0.000";
        std::string hz, v, dp;
        const size_t end = BlockEnd(lines_, index);
        for (size_t j = index + 1; j < end; ++j) {
            const Record f = Split(lines_[j]);
            if (!f.hasEquals) continue;
            if (f.label == "6") {
                const auto h = Number(Utf8Mid(lines_[j], 2, 5));
                hv = h ? Format("%-8.4f", NormaliseHeight(*h)) : lastHv_;
            } else if (f.label == "7") {
                hz = UpToBlank(lines_[j]);
            } else if (f.label == "8") {
                v = UpToBlank(lines_[j]);
            } else if (f.label == "9") {
                dp = UpToBlank(lines_[j]);
            }
        }
        lastHv_ = hv;
        if (!hasObs_) {
            out_->push_back("         <rawdata>");
            hasObs_ = true;
        }
        std::string l = "            <obs";
        AppendXmlAttribute(l, "num", std::to_string(++obsCounter_));
        AppendXmlAttribute(l, "pt_vis", UpToBlank(lines_[index]));
        AppendXmlAttribute(l, "Hv", hv);
        AppendXmlAttribute(l, "Hz", hz);
        AppendXmlAttribute(l, "V", v);
        AppendXmlAttribute(l, "Dp", dp);
        AppendXmlAttribute(l, "ppm", "0");
        AppendXmlAttribute(l, "cste", "0");
        l += " />";
        out_->push_back(std::move(l));
    }

    void CloseStation() {
        if (!stationOpen_) return;
        out_->push_back(hasObs_ ? "         </rawdata>" : "         <rawdata />");
        out_->push_back("      </station>");
        stationOpen_ = false;
    }

    const std::vector<std::string>& lines_;
    std::vector<std::string>* out_ = nullptr;
    Weather weather_;
    std::string lastHeight_;  // "Ht" of the previous station
    std::string lastHv_;      // "Hv" of the previous target
    int obsCounter_ = 0;
    bool stationsOpen_ = false;
    bool stationOpen_ = false;
    bool hasObs_ = false;
};

}  // namespace

GdmConversionError::GdmConversionError(int lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

double NormaliseHeight(double height) {
    if (height < 5.0) return height;
    if (height < 50.0) return height / 10.0;
    if (height < 500.0) return height / 100.0;
    if (height < 5000.0) return height / 1000.0;
    return height / 10000.0;
}

std::string FormatAngleText(std::string_view value) { return FixedDigits(value, 3, "000", 5); }

std::string FormatDistanceText(std::string_view value) { return FixedDigits(value, 4, "    ", 4); }

GdmBook GdmToTextBook(const std::vector<std::string>& lines) { return TextRoute(lines).Run(); }

GdmBook GdmToXmlBook(const std::vector<std::string>& lines) { return XmlRoute(lines).Run(); }

}  // namespace kestrova
