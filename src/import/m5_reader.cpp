#include "import/m5_reader.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool IsMeasurementId(const std::string& id) {
    return id == "Hz" || id == "V1" || id == "V2" || id == "V3" || id == "V4" || id == "SD" || id == "D" ||
           id == "HD" || id == "E";
}

}  // namespace

std::string TM5Reader::SubField(const TM5Line& l, int from, int to) const {
    if (from < 1 || from > 27) return {};
    const std::size_t start = static_cast<std::size_t>(from - 1);
    const std::size_t end = to > from && to <= 28 ? static_cast<std::size_t>(to - 1) : 27;
    return Trim(std::string_view(l.info).substr(start, end - start));
}

void TM5Reader::Line(std::string_view line, int number) {
    const std::string_view trimmed = TrimView(line);
    if (trimmed.empty()) return;
    if (!IsM5Line(line)) {
        if (trimmed[0] == '#' || trimmed[0] == '!' || StartsWith(ToUpperAscii(trimmed), "END")) {
            report_.Skip("commentaires (#, !, END)");
        } else {
            report_.Skip("lignes étrangères au format M5");
            if (++foreignLines_ <= 3)
                report_.Warn(Format("Ligne %d : ligne sans l'étiquette « For M5 », ignorée.", number));
        }
        return;
    }
    const TM5Line l = ParseM5Line(line);
    if (l.error) {
        report_.Skip("lignes marquées en erreur (colonne 119)");
        report_.Warn(Format("Ligne %d : ligne marquée en erreur par l'instrument (colonne 119), ignorée.", number));
        return;
    }
    if (l.info.find("#####") != std::string::npos) {
        report_.Skip("mesures annulées (#####)");
        report_.Warn(Format("Ligne %d : mesure annulée (#####), ignorée.", number));
        return;
    }
    if (l.kind == "TI") {
        const std::string text = ToUpperAscii(Trim(l.info));
        if (text == "KN STAT" || text == "UN STAT" || text == "EL STAT") setUpBlock_ = true;
        else if (text == "POLAR") setUpBlock_ = false;
        Settings(l, number);
        return;
    }
    if (l.kind.size() == 3 && StartsWith(l.kind, "PI")) {
        Settings(l, number);
        Point(l, number);
        return;
    }
    if (l.kind == "TO" || StartsWith(l.kind, "KD") || StartsWith(l.kind, "KN")) {
        report_.Skip("lignes de nivellement");
        return;
    }
    report_.Skip("lignes d'autres types (" + l.kind + ")");
}

void TM5Reader::Settings(const TM5Line& l, int number) {
    std::optional<double> temp, press;
    for (const TM5Value& v : l.values) {
        if (v.id.empty() || v.value.empty()) continue;
        if (v.id == "20" || v.id == "21" || v.id == "22") {
            const auto pos = PlainNumber(v.value);
            if (!pos || *pos < 1 || *pos > 27) {
                report_.Warn(Format("Ligne %d : position %s « %s » hors du bloc d'information, ignorée.", number,
                                    v.id, v.value));
                continue;
            }
            (v.id == "20" ? infoPos_ : v.id == "21" ? codePos_ : pointPos_) = static_cast<int>(*pos);
        } else if (v.id == "ih") {
            instrumentHeight_ = M5Length(v, number);
            SetInstrumentHeight(*instrumentHeight_, number);
        } else if (v.id == "th") {
            targetHeight_ = M5Length(v, number);
        } else if (v.id == "PC") {
            prismConstant_ = M5Length(v, number);
        } else if (v.id == "pm") {
            const auto ppm = PlainNumber(v.value);
            if (!ppm) throw TImportError(number, Format("Ligne %d : valeur pm « %s » illisible.", number, v.value));
            ppm_ = std::llround(*ppm);
        } else if (v.id == "T_") {
            const auto t = PlainNumber(v.value);
            if (!t) throw TImportError(number, Format("Ligne %d : température « %s » illisible.", number, v.value));
            temp = ToUpperAscii(v.unit) == "F" ? (*t - 32.0) * 5.0 / 9.0 : *t;
        } else if (v.id == "P") {
            const auto p = PlainNumber(v.value);
            if (!p) throw TImportError(number, Format("Ligne %d : pression « %s » illisible.", number, v.value));
            const std::string u = ToLowerAscii(v.unit);
            press = u == "hpa" || u == "mbar" ? *p / kHpaPerMmHg : u == "inhg" ? *p * 25.4 : *p;
        }
    }
    SetWeather(temp, press);
}

void TM5Reader::Point(const TM5Line& l, int number) {
    const std::string code = SubField(l, codePos_, pointPos_ > codePos_ ? pointPos_ : 28);
    std::string point = SubField(l, pointPos_, codePos_ > pointPos_ ? codePos_ : 28);
    if (point.empty()) point = Trim(l.info);
    point = BookName(point, number);
    bool measured = false;
    for (const TM5Value& v : l.values) measured = measured || (IsMeasurementId(v.id) && !v.value.empty());
    if (!measured) {
        if (code == "S") {
            OpenStation(point, instrumentHeight_, number);
        } else if (l.Find("Y") || l.Find("X") || l.Find("Z") || l.Find("N_") || l.Find("E_")) {
            report_.Skip("lignes de coordonnées");
        } else {
            report_.Skip("lignes de point sans mesure");
        }
        return;
    }
    if (setUpBlock_ && code.size() == 1 && code[0] >= 'A' && code[0] <= 'J') {
        report_.Skip("visées de référence de mise en station (codes A à J)");
        return;
    }
    TSurveyPointing p;
    p.target = point.empty() ? "0" : point;
    std::optional<double> hd;
    bool otherVertical = false;
    for (const TM5Value& v : l.values) {
        if (v.value.empty()) continue;
        if (v.id == "Hz") p.hz = M5Angle(v, number);
        else if (v.id == "V1") p.zenith = M5Angle(v, number);
        else if (v.id == "V3") p.zenith = NormaliseGon(100.0 - M5Angle(v, number));
        else if (v.id == "V2" || v.id == "V4") otherVertical = true;
        else if (v.id == "SD" || v.id == "D") p.slope = M5Length(v, number);
        else if (v.id == "HD" || v.id == "E") hd = M5Length(v, number);
    }
    if (!l.Find("Hz")) {
        report_.Skip("mesures sans direction Hz");
        report_.Warn(Format("Ligne %d : mesure vers %s sans direction Hz, ignorée.", number, p.target));
        return;
    }
    if (otherVertical && !p.zenith) {
        report_.Skip("mesures en angle V2 ou V4");
        report_.Warn(Format("Ligne %d : angle vertical V2 / V4 (origine incertaine) vers %s : mesure ignorée.",
                            number, p.target));
        return;
    }
    if (p.slope && *p.slope <= 0.001) p.slope.reset();
    if (!p.slope && hd && *hd > 0.001) {
        if (p.zenith) {
            const double s = std::sin(*p.zenith * kPi / 200.0);
            if (std::fabs(s) > 1e-9) p.slope = *hd / std::fabs(s);
        } else {
            report_.Warn(Format("Ligne %d : distance horizontale sans angle zénithal vers %s : distance non gardée.",
                                number, p.target));
        }
    }
    p.targetHeight = targetHeight_;
    p.prismConstant = prismConstant_;
    p.ppm = ppm_;
    AddPointing(p, number);
}

}  // namespace kestrova
