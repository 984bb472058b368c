#include "import/rw5_reader.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The value of field `header` of a record (the note "--" excluded), or
// nullopt when the record has no such field.
std::optional<std::string> Field(std::string_view line, std::string_view header) {
    const std::size_t note = line.find(",--");
    if (note != std::string_view::npos) line = line.substr(0, note);
    std::size_t start = line.find(',');
    while (start != std::string_view::npos) {
        const std::size_t end = line.find(',', start + 1);
        const std::string_view field =
            line.substr(start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1);
        if (field.size() >= 2 && field.substr(0, 2) == header) return Trim(field.substr(2));
        start = end;
    }
    return std::nullopt;
}

// Every field of a record read by the import starts with its two-letter
// header ("N " and "E " have a blank); anything else is a value cut by a
// comma (a decimal comma) and would be read wrongly.
void CheckFields(std::string_view line, int number) {
    const std::size_t note = line.find(",--");
    if (note != std::string_view::npos) line = line.substr(0, note);
    std::size_t start = line.find(',');
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    while (start != std::string_view::npos) {
        const std::size_t end = line.find(',', start + 1);
        const std::string_view field =
            line.substr(start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1);
        if (!field.empty() && (field.size() < 2 || !letter(field[0]) || !(letter(field[1]) || field[1] == ' ')))
            throw TImportError(number, Format("Ligne %d : champ « %s » sans en-tête (virgule décimale ?) : "
                                              "enregistrement illisible.",
                                              number, std::string(field)));
        start = end;
    }
}

std::string Code(std::string_view line) {
    const std::size_t comma = line.find(',');
    return ToUpperAscii(Trim(line.substr(0, comma)));
}

}  // namespace

void TRw5Reader::Mode(std::string_view line, int number) {
    modeSeen_ = true;
    if (const auto un = Field(line, "UN")) {
        if (*un == "0") length_ = TLengthUnit::Foot;
        else if (*un == "1") length_ = TLengthUnit::Metre;
        else if (*un == "2") length_ = TLengthUnit::UsFoot;
        else throw TImportError(number, Format("Ligne %d : unité de distance UN « %s » inconnue.", number, *un));
    }
    if (const auto au = Field(line, "AU")) {
        if (*au == "0") angle_ = TAngleUnit::Dms;
        else if (*au == "1") angle_ = TAngleUnit::Gon;
        else throw TImportError(number, Format("Ligne %d : unité d'angle AU « %s » inconnue.", number, *au));
    }
}

void TRw5Reader::Line(std::string_view line, int number) {
    const std::string_view trimmed = TrimView(line);
    if (trimmed.empty()) return;
    if (StartsWith(trimmed, "--")) {
        const std::string code = Code(trimmed.substr(2));
        if (code == "MO") {
            CheckFields(trimmed.substr(2), number);
            Mode(trimmed.substr(2), number);
        } else if (code == "SS" || code == "TR" || code == "LS") {
            report_.Skip("moyennes de série en commentaire (--SS, --LS)");
        } else if (code == "GS" || code == "GPS") {
            report_.Skip("positions GPS (GPS, GS)");
        } else if (code == "SP") {
            report_.Skip("points en coordonnées (SP)");
        } else {
            report_.Skip("notes (--)");
        }
        return;
    }
    const std::string code = Code(trimmed);
    if (code == "MO" || code == "OC" || code == "LS" || code == "SS" || code == "TR" || code == "BD" || code == "FD" ||
        code == "BR" || code == "FR")
        CheckFields(trimmed, number);
    if (code == "MO") {
        Mode(trimmed, number);
    } else if (code == "OC") {
        const std::string name = BookName(Field(trimmed, "OP").value_or(""), number);
        // The same station occupied again before any shot stays one station.
        if (!(HasStation() && !StationHasPointings() && StationName() == name)) OpenStation(name, std::nullopt, number);
    } else if (code == "LS") {
        if (const auto hi = Field(trimmed, "HI"); hi && !hi->empty()) {
            const auto v = PlainNumber(*hi);
            if (!v) throw TImportError(number, Format("Ligne %d : hauteur d'instrument HI « %s » illisible.", number, *hi));
            SetInstrumentHeight(LengthToMetre(*v, length_), number);
        }
        if (const auto hr = Field(trimmed, "HR"); hr && !hr->empty()) {
            const auto v = PlainNumber(*hr);
            if (!v) throw TImportError(number, Format("Ligne %d : hauteur de cible HR « %s » illisible.", number, *hr));
            targetHeight_ = LengthToMetre(*v, length_);
        }
    } else if (code == "SS" || code == "TR" || code == "BD" || code == "FD" || code == "BR" || code == "FR") {
        Shot(code, trimmed, number);
    } else if (code == "BK") {
        report_.Skip("orientations (BK)");
    } else if (code == "GPS" || code == "GS") {
        report_.Skip("positions GPS (GPS, GS)");
    } else if (code == "SP") {
        report_.Skip("points en coordonnées (SP)");
    } else if (code == "JB") {
        report_.Skip("en-têtes de travail (JB)");
    } else if (code == "OF") {
        report_.Skip("excentrements (OF)");
        report_.Warn(Format("Ligne %d : excentrement OF non appliqué à la visée qui le précède.", number));
    } else {
        report_.Skip("enregistrements d'autres types");
        report_.Warn(Format("Ligne %d : enregistrement « %s » non lu.", number, code));
    }
}

void TRw5Reader::Shot(std::string_view code, std::string_view line, int number) {
    if (!modeSeen_) {
        modeSeen_ = true;
        report_.Warn(Format("Ligne %d : visée avant tout enregistrement MO : angles en DDD.MMSS et distances en "
                            "mètres supposés.",
                            number));
    }
    const auto angle = [&](const char* header) -> std::optional<double> {
        const auto text = Field(line, header);
        if (!text || text->empty()) return std::nullopt;
        const auto v = AngleToGon(*text, angle_);
        if (!v)
            throw TImportError(number, Format("Ligne %d : angle %s « %s » illisible.", number, header, *text));
        return v;
    };
    const auto length = [&](const char* header) -> std::optional<double> {
        const auto text = Field(line, header);
        if (!text || text->empty()) return std::nullopt;
        const auto v = PlainNumber(*text);
        if (!v)
            throw TImportError(number, Format("Ligne %d : distance %s « %s » illisible.", number, header, *text));
        return LengthToMetre(*v, length_);
    };
    TSurveyPointing p;
    p.target = BookName(Field(line, "FP").value_or(""), number);
    if (p.target.empty()) p.target = "0";
    if (const auto op = Field(line, "OP"); op && !op->empty() && (!HasStation() || BookName(*op, number) != StationName())) {
        report_.Warn(Format("Ligne %d : visée depuis %s sans enregistrement OC : station %s ouverte.", number,
                            *op, *op));
        OpenStation(BookName(*op, number), std::nullopt, number);
    }
    if (const auto ar = angle("AR")) {
        p.hz = *ar;
    } else if (const auto al = angle("AL")) {
        p.hz = 400.0 - *al;
    } else if (const auto az = angle("AZ")) {
        p.hz = *az;
        report_.Warn(Format("Ligne %d : direction donnée en azimut (AZ), lue comme une lecture de cercle.", number));
    } else {
        report_.Skip("visées sans angle à droite (BR, DR, DL)");
        report_.Warn(Format("Ligne %d : visée %s vers %s sans angle AR, AL ni AZ (relèvement ou déflexion) : "
                            "ignorée.",
                            number, std::string(code), p.target));
        return;
    }
    const auto sd = length("SD");
    const auto hd = length("HD");
    if (const auto ze = angle("ZE")) {
        p.zenith = *ze;
    } else if (const auto va = angle("VA")) {
        p.zenith = NormaliseGon(100.0 - *va);
    } else if (const auto ce = length("CE")) {
        if (sd && *sd > std::fabs(*ce)) p.zenith = std::acos(*ce / *sd) * 200.0 / kPi;
        else if (hd && *hd > 0) p.zenith = std::atan2(*hd, *ce) * 200.0 / kPi;
    }
    if (sd) {
        p.slope = sd;
    } else if (hd && p.zenith) {
        const double s = std::sin(*p.zenith * kPi / 200.0);
        if (std::fabs(s) > 1e-9) p.slope = *hd / std::fabs(s);
    }
    if (!p.zenith)
        report_.Warn(Format("Ligne %d : visée vers %s sans angle vertical (ZE, VA ou CE).", number, p.target));
    p.targetHeight = length("HR").value_or(targetHeight_);
    p.prismConstant = prismConstant_;
    p.ppm = ppm_;
    const bool face2 = code == "BR" || code == "FR";
    const bool faced = face2 || code == "BD" || code == "FD";
    if (faced && p.zenith && face2 != (*p.zenith >= 200.0))
        report_.Warn(Format("Ligne %d : visée %s (face %d) avec un angle zénithal de %.4f gon.", number,
                            std::string(code), face2 ? 2 : 1, *p.zenith));
    AddPointing(p, number);
}

}  // namespace kestrova
