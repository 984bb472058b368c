#include "import/nikon_reader.hpp"

#include <cctype>

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

std::vector<std::string> Split(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(Trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                  : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

const std::string& At(const std::vector<std::string>& f, std::size_t i) {
    static const std::string empty;
    return i < f.size() ? f[i] : empty;
}

// The value after "Key:" in a comment, up to the next blank.
std::optional<std::string> Setting(const std::string& text, std::string_view key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return std::nullopt;
    std::size_t start = at + key.size();
    while (start < text.size() && text[start] == ' ') ++start;
    std::size_t end = start;
    while (end < text.size() && text[end] != ' ') ++end;
    return text.substr(start, end - start);
}

// "20C" -> 20 and "C": the number in front, the unit after it.
bool NumberAndUnit(const std::string& text, double& value, std::string& unit) {
    std::size_t i = 0;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.' || text[i] == '-' ||
                               text[i] == '+'))
        ++i;
    const auto v = PlainNumber(text.substr(0, i));
    if (!v) return false;
    value = *v;
    unit = ToLowerAscii(text.substr(i));
    return true;
}

}  // namespace

void TNikonReader::Comment(const std::string& text, int number) {
    const std::string lower = ToLowerAscii(text);
    if (StartsWith(lower, "dist units:")) {
        const std::string unit = ToLowerAscii(Trim(text.substr(11)));
        if (unit == "metres" || unit == "meters") length_ = TLengthUnit::Metre;
        else if (unit == "feet us" || unit == "us feet") length_ = TLengthUnit::UsFoot;
        else if (unit == "feet") length_ = TLengthUnit::Foot;
        else throw TImportError(number, Format("Ligne %d : unité de distance « %s » inconnue.", number, Trim(text.substr(11))));
        lengthSeen_ = true;
        return;
    }
    if (StartsWith(lower, "angle units:")) {
        const std::string unit = ToLowerAscii(Trim(text.substr(12)));
        if (unit == "dddmmss") angle_ = TAngleUnit::Dms;
        else if (unit == "gons" || unit == "gon" || unit == "grads") angle_ = TAngleUnit::Gon;
        else if (unit == "degrees" || unit == "dec.degrees") angle_ = TAngleUnit::Degree;
        else if (unit == "mils") angle_ = TAngleUnit::Mil;
        else throw TImportError(number, Format("Ligne %d : unité d'angle « %s » inconnue.", number, Trim(text.substr(12))));
        angleSeen_ = true;
        return;
    }
    if (lower.find("va:") != std::string::npos && (StartsWith(lower, "zero va:") || StartsWith(lower, "va:"))) {
        verticalFromHorizon_ = lower.find("zenith") == std::string::npos;
        if (verticalFromHorizon_)
            report_.Warn(Format("Ligne %d : angles verticaux comptés depuis l'horizon (« %s ») : angle zénithal = "
                                "100 gon - angle.",
                                number, text));
        return;
    }
    if (StartsWith(lower, "temp:") || lower.find("prism:") != std::string::npos) {
        std::optional<double> temp, press;
        double v = 0;
        std::string unit;
        if (const auto t = Setting(text, "Temp:"); t && NumberAndUnit(*t, v, unit))
            temp = unit == "f" ? (v - 32.0) * 5.0 / 9.0 : v;
        if (const auto p = Setting(text, "Press:"); p && NumberAndUnit(*p, v, unit)) {
            if (unit == "hpa" || unit == "mbar") press = v / kHpaPerMmHg;
            else if (unit == "inhg") press = v * 25.4;
            else press = v;  // mmHg
        }
        if (const auto pc = Setting(text, "Prism:"); pc && NumberAndUnit(*pc, v, unit)) prismConstant_ = v / 1000.0;
        SetWeather(temp, press);
        return;
    }
    report_.Skip("commentaires (CO)");
}

void TNikonReader::CheckUnits(int number) {
    if (unitsChecked_) return;
    unitsChecked_ = true;
    if (!angleSeen_)
        report_.Warn(Format("Ligne %d : pas de commentaire « Angle Units » avant les mesures : DDDMMSS supposé.", number));
    if (!lengthSeen_)
        report_.Warn(Format("Ligne %d : pas de commentaire « Dist Units » avant les mesures : mètres supposés.", number));
}

void TNikonReader::Line(std::string_view line, int number) {
    while (!line.empty() && (line.back() == '\x1a' || line.back() == ' ')) line.remove_suffix(1);
    const std::string_view body = TrimView(line);
    if (body.empty()) return;
    if (body[0] == '*') {
        report_.Skip("enregistrements supprimés (*)");
        return;
    }
    std::vector<std::string> f = Split(body);
    while (f.size() > 1 && f.back().empty()) f.pop_back();  // a trailing comma
    const std::string code = ToUpperAscii(f[0]);
    // A record holds at most 8 fields (9 for CP and SO): more is a value
    // cut by a comma (a decimal comma), which would shift every field.
    if (code != "CO" && f.size() > ((code == "CP" || code == "SO") ? 9u : 8u))
        throw TImportError(number, Format("Ligne %d : enregistrement %s de %d champs (virgule décimale ?) : "
                                          "illisible.",
                                          number, f[0], static_cast<int>(f.size())));
    if (code == "CO") {
        const std::size_t comma = body.find(',');
        Comment(Trim(body.substr(comma + 1)), number);
    } else if (code == "ST") {
        CheckUnits(number);
        std::optional<double> ih;
        if (!At(f, 5).empty()) {
            const auto v = PlainNumber(At(f, 5));
            if (!v) throw TImportError(number, Format("Ligne %d : hauteur d'instrument « %s » illisible.", number, At(f, 5)));
            ih = LengthToMetre(*v, length_);
        } else {
            report_.Warn(Format("Ligne %d : station %s sans hauteur d'instrument (station libre ?) : 0 m.", number,
                                At(f, 1)));
        }
        OpenStation(BookName(At(f, 1), number), ih, number);
        backsight_ = BookName(At(f, 3), number);
    } else if (code == "SS" || code == "F1" || code == "F2") {
        Shot(code, f, number);
    } else if (code == "CP" || code == "SO") {
        // The point id in field 2: shift to the side-shot layout.
        std::vector<std::string> g = {f[0], At(f, 1), At(f, 3), At(f, 4), At(f, 5), At(f, 6), At(f, 7)};
        Shot(code, g, number);
    } else if (code == "UP" || code == "MP" || code == "CC" || code == "RE" || code == "MC") {
        report_.Skip("coordonnées (UP, MP, CC, RE, MC)");
    } else {
        report_.Skip("enregistrements d'autres types");
        report_.Warn(Format("Ligne %d : enregistrement « %s » non lu.", number, f[0]));
    }
}

void TNikonReader::Shot(const std::string& code, const std::vector<std::string>& f, int number) {
    CheckUnits(number);
    TSurveyPointing p;
    p.target = BookName(At(f, 1), number);
    if (p.target.empty()) {
        if (code == "F1" || code == "F2") p.target = backsight_;
        if (p.target.empty()) {
            report_.Skip("visées sans nom de point");
            report_.Warn(Format("Ligne %d : visée %s sans nom de point, ignorée.", number, code));
            return;
        }
    }
    const auto number3 = [&](std::size_t i, const char* what) -> std::optional<double> {
        if (At(f, i).empty()) return std::nullopt;
        const auto v = PlainNumber(At(f, i));
        if (!v) throw TImportError(number, Format("Ligne %d : %s « %s » illisible.", number, what, At(f, i)));
        return v;
    };
    const auto angle = [&](std::size_t i, const char* what) -> std::optional<double> {
        if (At(f, i).empty()) return std::nullopt;
        const auto v = AngleToGon(At(f, i), angle_);
        if (!v) throw TImportError(number, Format("Ligne %d : %s « %s » illisible.", number, what, At(f, i)));
        return v;
    };
    if (const auto th = number3(2, "hauteur de cible")) targetHeight_ = LengthToMetre(*th, length_);
    if (const auto sd = number3(3, "distance inclinée")) p.slope = LengthToMetre(*sd, length_);
    const auto hz = angle(4, "angle horizontal");
    if (!hz) throw TImportError(number, Format("Ligne %d : visée %s sans angle horizontal.", number, code));
    p.hz = *hz;
    if (const auto va = angle(5, "angle vertical")) p.zenith = verticalFromHorizon_ ? NormaliseGon(100.0 - *va) : *va;
    p.targetHeight = targetHeight_;
    p.prismConstant = prismConstant_;
    p.ppm = ppm_;
    if ((code == "F1" || code == "F2") && p.zenith && (code == "F2") != (*p.zenith >= 200.0))
        report_.Warn(Format("Ligne %d : visée %s avec un angle zénithal de %.4f gon.", number, code, *p.zenith));
    AddPointing(p, number);
}

}  // namespace kestrova
