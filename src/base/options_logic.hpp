// What the options dialog shows and stores, without any widget: the mapping
// between the parameter set and the dialog's radio groups, check boxes and
// edits, the validation of the edits, and the pressure converter's sums.
#pragma once
#include <array>
#include <optional>
#include <string>

#include "base/param.hpp"

namespace kestrova {

// ---- Radio groups and check boxes -------------------------------------

// State of the radio groups and check boxes, refreshed from the
// parameters at every showing of the dialog and stored back on OK.
struct TOptionsChoices {
    int gsiHeader = 0;  // 0 "TS", 1 "covadis", 2 "tc800" (any other value)
    int triObs = 0;     // 0 "code", 1 "obs" (any other value)
    bool ecritureHauteurs = false;  // export_hauteurs_brelix == "Y"
    bool useOuvPourZ0 = false;      // use_first_target_for_Z0_estimation == "Y"
    int meteo = 0;      // 0 "Y", 1 "N" (any other value)
};

TOptionsChoices ChoicesFromParam(const TParam& p);
void ApplyChoices(TParam& p, const TOptionsChoices& c);

// "TS", "covadis" or "tc800" for the items of the header-format group.
const char* GsiHeaderStyleOfItem(int item);
int GsiHeaderItemOfStyle(const std::string& style);

// ---- Standard deviations ----------------------------------------------

enum class SigmaField { Hz = 0, V = 1, Dp = 2, DpRL = 3 };
inline constexpr int kSigmaFieldCount = 4;

// The edit text of a standard deviation: fixed with `angle` decimals for
// Hz and V, `longueur` decimals for the distances, at most 8 significant
// digits.
std::string SigmaEditText(const TParam& p, SigmaField f);

// The edits take a decimal comma as well as a point ("0,0005"): the value
// is the same, the parameters are written with "." as ever.
//
// OK on one edit: a number without exponent is stored; anything else
// leaves the parameter as it is and returns the text to put back into the
// edit. Returns nullopt when the text was accepted.
std::optional<std::string> ApplySigmaEdit(TParam& p, SigmaField f, const std::string& text);

// OK on the four edits in the order Hz, V, Dp, Dp mode RL; rejected texts
// are replaced in `texts` by the current value.
void ApplySigmaEdits(TParam& p, std::array<std::string, kSigmaFieldCount>& texts);

// ---- Renormalisation --------------------------------------------------

enum class RenormField { AH_add = 0, AH_mult, AV_add, AV_mult, Dp_add, Dp_mult, Dn_add, Dn_mult };
inline constexpr int kRenormFieldCount = 8;

double& RenormValue(TParam& p, RenormField f);
double RenormValue(const TParam& p, RenormField f);
bool IsRenormFactor(RenormField f);

// Text of an edit when the dialog is created: additive terms with 4
// decimals, factors with 2 (at most 8 significant digits).
std::string RenormCreationText(const TParam& p, RenormField f);

// Fills the eight edits at creation. The AH, AV and Dp parameters take the
// values shown (additive terms rounded to 4 decimals, factors to 2); the Dn
// pair keeps its values until the user edits it.
std::array<std::string, kRenormFieldCount> InitRenormEdits(TParam& p);

// A change of an edit's text. A number without exponent goes into the
// parameter at once and nullopt is returned (the text stays). Anything else
// returns the text that must replace it: the parameter's value with 4
// decimals and at most 6 significant digits. A text that is only the start
// of a number ("-", ".", "-.") is left as typed and changes nothing.
std::optional<std::string> RenormEditChanged(TParam& p, RenormField f, const std::string& text);

// When the dialog closes, an edit left on the start of a number ("-") is
// given back the parameter's value, so that edits and parameters stay in
// step; nullopt when the text is a complete number.
std::optional<std::string> RenormEditSettled(const TParam& p, RenormField f, const std::string& text);

// ---- GSI header examples ----------------------------------------------

inline constexpr const char* kGsiExampleTS = "410001+00001001 42....+00000120 43....+00007600 44....+00001458";
inline constexpr const char* kGsiExampleCovadis = "410001+00000001 42....+00000004 43....+0001.544";
inline constexpr const char* kGsiExampleTc800 =
    "410001+00000000 42....+00001001 43....+0001.513 44....+00000120 45....+00007600";

// ---- Pressure converter -----------------------------------------------

// hPa per mmHg.
inline constexpr long double kHpaPerMmHg = 1.3329167214840152611L;

// ">" : the mmHg text ("%.1f") for a hPa text, nullopt when it is not a
// number. "<" : the other way.
std::optional<std::string> ConvertHpaTextToMmHg(const std::string& hpaText);
std::optional<std::string> ConvertMmHgTextToHpa(const std::string& mmHgText);

}  // namespace kestrova
