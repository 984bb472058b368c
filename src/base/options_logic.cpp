#include "base/options_logic.hpp"

#include "base/decimal_comma.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

// ---- Radio groups and check boxes -------------------------------------

const char* GsiHeaderStyleOfItem(int item) {
    switch (item) {
        case 0: return "TS";
        case 1: return "covadis";
        default: return "tc800";
    }
}

int GsiHeaderItemOfStyle(const std::string& style) {
    if (style == "TS") return 0;
    if (style == "covadis") return 1;
    return 2;
}

TOptionsChoices ChoicesFromParam(const TParam& p) {
    TOptionsChoices c;
    c.gsiHeader = GsiHeaderItemOfStyle(p.entete_gsi);
    c.triObs = p.tri_fichier_brelix == "code" ? 0 : 1;
    c.ecritureHauteurs = p.export_hauteurs_brelix == "Y";
    c.useOuvPourZ0 = p.use_first_target_for_Z0_estimation == "Y";
    c.meteo = p.use_meteo_entete_station == "Y" ? 0 : 1;
    return c;
}

void ApplyChoices(TParam& p, const TOptionsChoices& c) {
    p.entete_gsi = GsiHeaderStyleOfItem(c.gsiHeader);
    p.tri_fichier_brelix = c.triObs == 0 ? "code" : "obs";
    p.use_meteo_entete_station = c.meteo == 0 ? "Y" : "N";
    p.export_hauteurs_brelix = c.ecritureHauteurs ? "Y" : "N";
    p.use_first_target_for_Z0_estimation = c.useOuvPourZ0 ? "Y" : "N";
}

// ---- Standard deviations ----------------------------------------------

namespace {

float& SigmaValue(TParam& p, SigmaField f) {
    switch (f) {
        case SigmaField::Hz: return p.sigma_Hz;
        case SigmaField::V: return p.sigma_V;
        case SigmaField::Dp: return p.sigma_Dp;
        case SigmaField::DpRL: break;
    }
    return p.sigma_DpRL;
}

float SigmaValue(const TParam& p, SigmaField f) {
    return SigmaValue(const_cast<TParam&>(p), f);
}

int SigmaDecimals(const TParam& p, SigmaField f) {
    const int d = (f == SigmaField::Hz || f == SigmaField::V) ? p.angle : p.longueur;
    // A decimals count out of any sensible range in the ini must not make
    // the edit unreadable (or the formatting ask for a negative precision).
    if (d < 0) return 0;
    if (d > 15) return 15;
    return d;
}

}  // namespace

std::string SigmaEditText(const TParam& p, SigmaField f) {
    const float v = SigmaValue(p, f);
    return FormatFixedSignificant(static_cast<double>(v), SigmaDecimals(p, f), 8);
}

std::optional<std::string> ApplySigmaEdit(TParam& p, SigmaField f, const std::string& text) {
    // Exponents are refused here although the ini accepts them; a text that
    // passes the test but holds no digit ("-", ".") is refused as well. A
    // decimal comma is read as the point.
    const std::optional<double> v = TextToDouble(WithDecimalPoint(text), false);
    if (!v) return SigmaEditText(p, f);
    SigmaValue(p, f) = static_cast<float>(*v);
    return std::nullopt;
}

void ApplySigmaEdits(TParam& p, std::array<std::string, kSigmaFieldCount>& texts) {
    for (int i = 0; i < kSigmaFieldCount; ++i) {
        if (auto back = ApplySigmaEdit(p, static_cast<SigmaField>(i), texts[i])) texts[i] = *back;
    }
}

// ---- Renormalisation --------------------------------------------------

double& RenormValue(TParam& p, RenormField f) {
    switch (f) {
        case RenormField::AH_add: return p.AH_add;
        case RenormField::AH_mult: return p.AH_mult;
        case RenormField::AV_add: return p.AV_add;
        case RenormField::AV_mult: return p.AV_mult;
        case RenormField::Dp_add: return p.Dp_add;
        case RenormField::Dp_mult: return p.Dp_mult;
        case RenormField::Dn_add: return p.Dn_add;
        case RenormField::Dn_mult: break;
    }
    return p.Dn_mult;
}

double RenormValue(const TParam& p, RenormField f) {
    return RenormValue(const_cast<TParam&>(p), f);
}

bool IsRenormFactor(RenormField f) {
    return f == RenormField::AH_mult || f == RenormField::AV_mult || f == RenormField::Dp_mult ||
           f == RenormField::Dn_mult;
}

std::string RenormCreationText(const TParam& p, RenormField f) {
    return FormatFixedSignificant(RenormValue(p, f), IsRenormFactor(f) ? 2 : 4, 8);
}

std::array<std::string, kRenormFieldCount> InitRenormEdits(TParam& p) {
    std::array<std::string, kRenormFieldCount> texts;
    for (int i = 0; i < kRenormFieldCount; ++i) {
        const auto f = static_cast<RenormField>(i);
        texts[i] = RenormCreationText(p, f);
        if (f == RenormField::Dn_add || f == RenormField::Dn_mult) continue;
        RenormEditChanged(p, f, texts[i]);
    }
    return texts;
}

std::optional<std::string> RenormEditChanged(TParam& p, RenormField f, const std::string& typed) {
    const std::string text = WithDecimalPoint(typed);
    if (IsNumericText(text, false)) {
        // The numeric test also passes the first keystrokes of a negative or
        // fractional number; those stay in the edit without changing anything.
        if (const std::optional<double> v = TextToDouble(text, false)) RenormValue(p, f) = *v;
        return std::nullopt;
    }
    return FormatFixedSignificant(RenormValue(p, f), 4, 6);
}

std::optional<std::string> RenormEditSettled(const TParam& p, RenormField f, const std::string& text) {
    if (TextToDouble(WithDecimalPoint(text), false)) return std::nullopt;
    return FormatFixedSignificant(RenormValue(p, f), 4, 6);
}

// ---- Pressure converter -----------------------------------------------

std::optional<std::string> ConvertHpaTextToMmHg(const std::string& hpaText) {
    const std::optional<double> hpa = TextToDouble(WithDecimalPoint(hpaText), true);
    if (!hpa) return std::nullopt;
    return Format("%.1f", static_cast<double>(static_cast<long double>(*hpa) / kHpaPerMmHg));
}

std::optional<std::string> ConvertMmHgTextToHpa(const std::string& mmHgText) {
    const std::optional<double> mmHg = TextToDouble(WithDecimalPoint(mmHgText), true);
    if (!mmHg) return std::nullopt;
    return Format("%.1f", static_cast<double>(static_cast<long double>(*mmHg) * kHpaPerMmHg));
}

}  // namespace kestrova
