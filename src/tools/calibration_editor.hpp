// Calibration editor of an XML field book: the targets (prisms) of the
// survey with their additive constants, written into the book as its first
// `etalonnages` element, and the correction of every observation for the
// instrument's collimation and trunnion-axis errors.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// One target: its name as typed and its additive constant (m).
struct TCible {
    std::string nom;
    double cste = 0.0;
};

// The "Collimation" tab: the three values as typed, in gons.
struct TCollimation {
    bool active = false;  // "Paramètres de collimation" ticked
    std::string horizontale;
    std::string verticale;
    std::string tourillonnement;
};

// What the editor holds when "Valider" is pressed.
struct TCalibrationInput {
    std::vector<TCible> cibles;
    TCollimation collimation;
};

// Lines to put back into the document, and the messages to show in order.
struct TToolResult {
    bool written = false;  // `lines` replace the document's lines
    std::vector<std::string> lines;
    std::vector<std::string> messages;
};

// "Créer": the constant of a new target, nothing when the text is not a
// number (message "Valeur de la constante incohérente").
std::optional<double> TargetConstant(std::string_view text);

// A real in general number format: up to 15 significant digits, "." as
// decimal separator, no "-0".
std::string GeneralNumber(double value);

// Collimation and trunnion-axis correction of one pointing, all angles in
// gons (z the zenith angle V as measured):
//   V'  = V + verticale;
//   Hz' = Hz + tourillonnement x cot z + h, where h is the horizontal
//         collimation c carried to the direction, arcsin(sin c / sin z),
//         converted from radians to gons (x 200 / pi).
// A line of sight through the zenith or the nadir (sin z = 0) keeps its Hz,
// as does a collimation larger than the zenith distance allows.
struct THzV {
    double Hz = 0.0;
    double V = 0.0;
};
THzV CorrectCollimation(double Hz, double V, double horizontale, double verticale, double tourillonnement);

// "Valider": the targets become the book's first `etalonnages` element
// (replacing one written earlier by the editor) and, when the collimation
// is active and its three values are numbers, every observation is
// corrected. Not an XML book: message "carnet", nothing written.
TToolResult ValidateCalibration(const std::vector<std::string>& lines, const TCalibrationInput& input);

// The calibration editor and the target assignment work on XML books only:
// nullopt when the first line is an XML declaration ("xml ve" at positions
// 3 to 8 once trimmed), else what to tell the user before any dialog
// opens, with the way to convert a text book.
std::optional<std::string> CalibrationBookRefusal(const std::string& firstLine);

}  // namespace kestrova
