#include "import/sdr_reader.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

std::string_view Cut(std::string_view rec, std::size_t pos, std::size_t len) {
    // Positions from 1; a record cut short (trailing blanks removed) gives
    // what it has.
    if (pos == 0 || pos > rec.size()) return {};
    return rec.substr(pos - 1, len);
}

bool AllNines(std::string_view s) {
    s = TrimView(s);
    if (s.empty()) return false;
    for (char c : s)
        if (c != '9' && c != '.') return false;
    return true;
}

const char* RecordKind(std::string_view type) {
    if (type == "04") return "collimations (04)";
    if (type == "06") return "facteurs d'échelle (06)";
    if (type == "07") return "relèvements arrière (07)";
    if (type == "08") return "coordonnées (08)";
    if (type == "10") return "travaux (10)";
    if (type == "11") return "observations réduites (11)";
    if (type == "12") return "séries (12)";
    if (type == "13") return "notes (13)";
    if (type >= "60" && type <= "65") return "enregistrements de nivellement (60 à 65)";
    return nullptr;
}

}  // namespace

std::string_view TSdrReader::Field(std::string_view rec, std::size_t pos2x, std::size_t pos33, std::size_t len2x,
                                   std::size_t len33) const {
    return sdr2x_ ? Cut(rec, pos2x, len2x) : Cut(rec, pos33, len33);
}

std::string TSdrReader::PointName(std::string_view field) const {
    // SDR2x point numbers are zero-padded numbers: read as the GSI route
    // reads its point numbers. SDR33 names are kept as written.
    return sdr2x_ ? StripLeadingZeros(Trim(field)) : Trim(field);
}

std::optional<double> TSdrReader::Real(std::string_view field, const char* what, int number) const {
    if (TrimView(field).empty()) return std::nullopt;
    if (AllNines(field)) {
        report_.Warn(Format("Ligne %d : %s « %s » (valeur infinie) : tenue pour absente.", number, what,
                            Trim(field)));
        return std::nullopt;
    }
    const auto v = PlainNumber(field);
    if (!v) throw TImportError(number, Format("Ligne %d : %s « %s » illisible.", number, what, Trim(field)));
    return v;
}

std::optional<double> TSdrReader::Angle(std::string_view field, const char* what, int number) const {
    const auto v = Real(field, what, number);
    if (!v) return std::nullopt;
    switch (angle_) {
        case TAngleUnit::Gon: return *v;
        case TAngleUnit::Mil: return *v / 16.0;
        default: return *v / 0.9;  // decimal degrees
    }
}

void TSdrReader::Header(std::string_view rec, int number) {
    headerSeen_ = true;
    const std::string version = Trim(Cut(rec, 5, 16));
    if (version.find("SDR2") != std::string::npos) {
        sdr2x_ = true;
    } else if (version.find("SDR33") != std::string::npos) {
        sdr2x_ = false;
    } else {
        sdr2x_ = false;
        report_.Warn(Format("Ligne %d : version « %s » inconnue : disposition SDR33 (noms de 16 caractères) "
                            "supposée.",
                            number, version));
    }
    // The unit flags are the last six characters of the record (some
    // instruments write a longer header).
    const std::string trimmed = TrimRight(rec);
    const std::string_view flags = trimmed.size() >= 46 ? std::string_view(trimmed).substr(trimmed.size() - 6) : "";
    const auto flag = [&](std::size_t i, char low, char high) {
        return flags.size() == 6 && flags[i] >= low && flags[i] <= high;
    };
    if (!flag(0, '1', '3') || !flag(1, '1', '2'))
        throw TImportError(number, Format("Ligne %d : en-tête SDR sans unités lisibles (angle, distance) : « %s ».",
                                          number, trimmed));
    angle_ = flags[0] == '1' ? TAngleUnit::Degree : flags[0] == '2' ? TAngleUnit::Gon : TAngleUnit::Mil;
    length_ = flags[1] == '2' ? TLengthUnit::Foot : TLengthUnit::Metre;
    pressureUnit_ = flag(2, '1', '3') ? flags[2] - '0' : 1;
    temperatureUnit_ = flag(3, '1', '2') ? flags[3] - '0' : 1;
    counterClockwise_ = !sdr2x_ && flags[5] == '2';
    if (counterClockwise_)
        report_.Warn(Format("Ligne %d : angles comptés à gauche ; les directions sont ramenées au sens horaire "
                            "(400 - angle).",
                            number));
}

void TSdrReader::Line(std::string_view line, int number) {
    if (line.empty() || line[0] == '\x02' || line[0] == '\x03') return;  // start / end of transmission
    if (TrimView(line).empty()) return;
    if (line.size() < 4) {
        report_.Skip("lignes illisibles");
        report_.Warn(Format("Ligne %d : enregistrement trop court, ignoré.", number));
        return;
    }
    const std::string_view type = line.substr(0, 2);
    const std::string_view derivation = line.substr(2, 2);
    if (type == "00") {
        Header(line, number);
        return;
    }
    if (!headerSeen_) {
        headerSeen_ = true;
        report_.Warn(Format("Ligne %d : pas d'en-tête 00 : disposition SDR33, degrés et mètres supposés.", number));
    }
    if (type == "01") {
        verticalFromHorizon_ = Cut(line, 51, 1) == "2";
        if (const auto pc = Real(Field(line, 72, 84, 10, 16), "constante de prisme", number))
            prismConstant_ = *pc / 1000.0;
        return;
    }
    if (type == "02") {
        std::optional<double> ih;
        if (const auto v = Real(Field(line, 39, 69, 10, 16), "hauteur d'instrument", number))
            ih = LengthToMetre(*v, length_);
        OpenStation(BookName(PointName(Field(line, 5, 5, 4, 16)), number), ih, number);
        return;
    }
    if (type == "03") {
        if (const auto v = Real(Field(line, 5, 5, 10, 16), "hauteur de cible", number))
            targetHeight_ = LengthToMetre(*v, length_);
        return;
    }
    if (type == "05") {
        std::optional<double> press, temp;
        if (const auto p = Real(Field(line, 5, 5, 10, 16), "pression", number))
            press = pressureUnit_ == 2 ? *p * 25.4 : pressureUnit_ == 3 ? *p / kHpaPerMmHg : *p;
        if (const auto t = Real(Field(line, 15, 21, 10, 16), "température", number))
            temp = temperatureUnit_ == 2 ? (*t - 32.0) * 5.0 / 9.0 : *t;
        SetWeather(temp, press);
        return;
    }
    if (type == "09") {
        Observation(line, derivation, number);
        return;
    }
    if (type == "13" && StartsWith(line.substr(2), "DU") && line.find("US Feet") != std::string_view::npos) {
        if (length_ == TLengthUnit::Foot) length_ = TLengthUnit::UsFoot;
        return;
    }
    if (const char* kind = RecordKind(type)) {
        report_.Skip(kind);
        return;
    }
    report_.Skip("enregistrements d'autres types");
    report_.Warn(Format("Ligne %d : enregistrement de type « %s » inconnu, ignoré.", number, std::string(type)));
}

void TSdrReader::Observation(std::string_view rec, std::string_view derivation, int number) {
    if (derivation == "MC") {
        report_.Skip("observations corrigées (09MC)");
        return;
    }
    if (derivation != "F1" && derivation != "F2" && derivation != "MD") {
        report_.Skip("observations dérivées (09 " + std::string(derivation) + ")");
        return;
    }
    const std::string from = BookName(PointName(Field(rec, 5, 5, 4, 16)), number);
    const std::string to = BookName(PointName(Field(rec, 9, 21, 4, 16)), number);
    if (!from.empty() && (!HasStation() || from != StationName())) {
        report_.Warn(Format("Ligne %d : observation depuis %s sans enregistrement de station 02 : station %s "
                            "ouverte, hauteur d'instrument 0.",
                            number, from, from));
        OpenStation(from, std::nullopt, number);
    }
    TSurveyPointing p;
    p.target = to.empty() ? "0" : to;
    p.targetHeight = targetHeight_;
    p.prismConstant = prismConstant_;
    p.ppm = ppm_;
    if (const auto sd = Real(Field(rec, 13, 37, 10, 16), "distance inclinée", number))
        p.slope = LengthToMetre(*sd, length_);
    if (auto v = Angle(Field(rec, 23, 53, 10, 16), "angle vertical", number))
        p.zenith = verticalFromHorizon_ ? NormaliseGon(100.0 - *v) : *v;
    const auto h = Angle(Field(rec, 33, 69, 10, 16), "angle horizontal", number);
    if (!h) throw TImportError(number, Format("Ligne %d : observation sans angle horizontal.", number));
    p.hz = counterClockwise_ ? 400.0 - *h : *h;
    if (derivation == "F2" && p.zenith && *p.zenith < 200.0)
        report_.Warn(Format("Ligne %d : observation notée en face 2 (F2) avec un angle zénithal de %.4f gon, "
                            "lue en face 1.",
                            number, *p.zenith));
    AddPointing(p, number);
}

}  // namespace kestrova
