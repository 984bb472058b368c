#include "import/m5_line.hpp"

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

std::string_view Slice(std::string_view line, std::size_t from, std::size_t len) {
    if (from >= line.size()) return {};
    return line.substr(from, len);
}

}  // namespace

const TM5Value* TM5Line::Find(std::string_view id) const {
    for (const TM5Value& v : values)
        if (v.id == id) return &v;
    return nullptr;
}

bool IsM5Line(std::string_view line) {
    if (line.size() < 17) return false;
    const std::string tag = ToLowerAscii(line.substr(0, 6));
    return (tag == "for m5" || tag == "for_m5") && line[6] == '|';
}

TM5Line ParseM5Line(std::string_view line) {
    TM5Line l;
    l.kind = Trim(Slice(line, 17, 3));
    l.info = std::string(Slice(line, 21, 27));
    l.info.resize(27, ' ');
    for (int k = 0; k < 3; ++k) {
        const std::size_t base = 49 + 23 * static_cast<std::size_t>(k);
        l.values[k].id = Trim(Slice(line, base, 2));
        l.values[k].value = Trim(Slice(line, base + 3, 14));
        l.values[k].unit = Trim(Slice(line, base + 18, 4));
    }
    const std::string_view flag = Slice(line, 118, 1);
    l.error = !flag.empty() && flag[0] != ' ' && flag[0] != '\r';
    return l;
}

std::optional<TAngleUnit> M5AngleUnit(std::string_view unit) {
    const std::string u = ToLowerAscii(Trim(unit));
    if (u == "gon" || u == "grd") return TAngleUnit::Gon;
    if (u == "dms") return TAngleUnit::Dms;
    if (u == "deg") return TAngleUnit::Degree;
    if (u == "mil") return TAngleUnit::Mil;
    return std::nullopt;
}

std::optional<TLengthUnit> M5LengthUnit(std::string_view unit) {
    const std::string u = ToLowerAscii(Trim(unit));
    if (u == "m") return TLengthUnit::Metre;
    if (u == "ft") return TLengthUnit::Foot;
    return std::nullopt;
}

double M5Angle(const TM5Value& v, int line) {
    const auto unit = M5AngleUnit(v.unit);
    if (!unit)
        throw TImportError(line, Format("Ligne %d : unité d'angle « %s » inconnue pour %s.", line, v.unit, v.id));
    const auto gon = AngleToGon(v.value, *unit);
    if (!gon) throw TImportError(line, Format("Ligne %d : valeur %s « %s » illisible.", line, v.id, v.value));
    return *gon;
}

double M5Length(const TM5Value& v, int line) {
    const auto unit = M5LengthUnit(v.unit);
    if (!unit)
        throw TImportError(line, Format("Ligne %d : unité de longueur « %s » inconnue pour %s.", line, v.unit, v.id));
    const auto value = PlainNumber(v.value);
    if (!value) throw TImportError(line, Format("Ligne %d : valeur %s « %s » illisible.", line, v.id, v.value));
    return LengthToMetre(*value, *unit);
}

}  // namespace kestrova
