#include "levelling/niv_model.hpp"

#include <cmath>

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

bool ParseWeighting(std::string_view text, TWeighting& mode) {
    const std::string t = Trim(text);
    if (t == "0") mode = TWeighting::Default;
    else if (t == "1") mode = TWeighting::Distance;
    else if (t == "2") mode = TWeighting::Count;
    else return false;
    return true;
}

bool ParseReferenceSigma(std::string_view text, double& sigma) {
    const std::string t = Trim(text);
    if (!IsNumericText(t, false)) return false;
    const auto v = TextToDouble(t, false);
    if (!v || !(*v > 0.0) || !std::isfinite(*v)) return false;
    sigma = *v;
    return true;
}

TNivSettings WeightingDialogResult(const TNivSettings& previous, int selectedButton, std::string_view sigmaText) {
    TNivSettings s = previous;
    s.mode = selectedButton == 1 ? TWeighting::Distance
           : selectedButton == 2 ? TWeighting::Count
                                 : TWeighting::Default;
    double sigma = 0.0;
    if (ParseReferenceSigma(sigmaText, sigma)) s.sigma = sigma;
    return s;
}

bool IsTurningPoint(std::string_view name) {
    if (!IsNumericText(name, false)) return false;
    // "700001.5" passes the number test but names no turning point.
    const auto v = TextToInt(name);
    return v && *v >= 700000 && *v <= 799999;
}

double DenivSigma(const TNivSettings& settings, double v, double d, int n) {
    switch (settings.mode) {
        case TWeighting::Default: return std::sqrt(v / 1000000.0);
        case TWeighting::Distance: return std::sqrt(d / 1000.0) * settings.sigma * 0.001;
        case TWeighting::Count: break;
    }
    return settings.sigma * 0.001 * std::sqrt(n * 0.5);
}

void TNivWarnings::Add(std::string text) {
    if (lines_.size() < 20) lines_.push_back(std::move(text));
    else ++more_;
}

std::vector<std::string> TNivWarnings::Lines() const {
    std::vector<std::string> r = lines_;
    if (more_ > 0) r.push_back("... et " + std::to_string(more_) + " autres avertissements.");
    return r;
}

}  // namespace kestrova
