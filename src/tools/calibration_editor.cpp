#include "tools/calibration_editor.hpp"

#include <cmath>
#include <numbers>

#include "base/decimal_comma.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "tools/calibration_xml.hpp"

namespace kestrova {

namespace {

// Gons to radians and back.
constexpr double kRadiansPerGon = std::numbers::pi / 200.0;
constexpr double kGonsPerRadian = 200.0 / std::numbers::pi;

std::optional<double> Number(std::string_view text) {
    const std::string t = Trim(text);
    if (!IsNumericText(t, true)) return std::nullopt;
    return TextToDouble(t, true);
}

// A value typed in the editor, maybe with a decimal comma.
std::optional<double> TypedNumber(std::string_view text) { return Number(WithDecimalPoint(Trim(text))); }

// Corrects the Hz and V attributes of every observation of the book.
void CorrectObservations(pugi::xml_node root, double horizontale, double verticale, double tourillonnement) {
    for (pugi::xml_node station : BookStations(root)) {
        for (pugi::xml_node o : StationObservations(station)) {
            const auto hz = Number(o.attribute("Hz").value());
            const auto v = Number(o.attribute("V").value());
            if (!hz || !v) continue;  // nothing to correct
            const THzV c = CorrectCollimation(*hz, *v, horizontale, verticale, tourillonnement);
            o.attribute("Hz").set_value(GeneralNumber(c.Hz).c_str());
            o.attribute("V").set_value(GeneralNumber(c.V).c_str());
        }
    }
}

}  // namespace

std::optional<double> TargetConstant(std::string_view text) { return TypedNumber(text); }

std::string GeneralNumber(double value) {
    if (value == 0.0) return "0";
    return Format("%.15g", value);
}

THzV CorrectCollimation(double Hz, double V, double horizontale, double verticale, double tourillonnement) {
    THzV r{Hz, V + verticale};
    const double z = V * kRadiansPerGon;
    const double sinZ = std::sin(z);
    if (sinZ == 0.0) return r;
    // Trunnion-axis tilt: i cot z, in gons since i is. The cosine as the
    // sine of 100 - V, exactly 0 on the horizon.
    double hz = Hz + tourillonnement * std::sin((100.0 - V) * kRadiansPerGon) / sinZ;
    // Horizontal collimation: arcsin(sin c / sin z), radians to gons.
    const double ratio = std::sin(horizontale * kRadiansPerGon) / sinZ;
    if (std::fabs(ratio) <= 1.0) hz += std::asin(ratio) * kGonsPerRadian;
    r.Hz = hz;
    return r;
}

TToolResult ValidateCalibration(const std::vector<std::string>& lines, const TCalibrationInput& input) {
    TToolResult result;
    pugi::xml_document doc;
    if (!ParseXmlBook(lines, doc)) {
        result.messages.push_back("carnet");
        return result;
    }
    pugi::xml_node root = doc.document_element();
    PutTargets(root, input.cibles);

    const TCollimation& c = input.collimation;
    if (c.active) {
        const auto h = TypedNumber(c.horizontale);
        const auto v = TypedNumber(c.verticale);
        const auto t = TypedNumber(c.tourillonnement);
        if (!h) result.messages.push_back("Valeur de collimation horizontale incohérente");
        if (!v) result.messages.push_back("Valeur de collimation verticale incohérente");
        if (!t) result.messages.push_back("Valeur de tourillonnement incohérente");
        if (h && v && t) CorrectObservations(root, *h, *v, *t);
    }
    result.lines = XmlBookLines(doc);
    result.written = true;
    return result;
}

std::optional<std::string> CalibrationBookRefusal(const std::string& firstLine) {
    const std::string first = Trim(firstLine);
    if (first.size() >= 8 && first.compare(2, 6, "xml ve") == 0) return std::nullopt;
    return std::string(
        "L'étalonnage et l'affectation des cibles s'appliquent aux carnets XML (*.xcrt) ; "
        "ce document n'en est pas un.\n"
        "Pour un carnet texte (*.crt, *.carnet), convertissez-le d'abord par le menu Topo, Conversion, "
        "« Conversion carnet (*.carnet, *.crt) --> format carnet xml (*.xcrt) », "
        "puis ouvrez le carnet XML obtenu.");
}

}  // namespace kestrova
