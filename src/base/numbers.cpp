#include "base/numbers.hpp"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/text_helpers.hpp"

namespace kestrova {

std::optional<double> GeneralTextToDouble(std::string_view text, bool exponentAllowed) {
    if (!IsNumericText(text, exponentAllowed)) return std::nullopt;
    // A thousands separator must start a group of exactly three digits:
    // "0,0009" or "1013,25" are decimal commas typed by a French user, and
    // reading them as 9 or 101325 would be a silently wrong value.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ',') continue;
        size_t digits = 0;
        while (i + 1 + digits < text.size() && text[i + 1 + digits] >= '0' && text[i + 1 + digits] <= '9') ++digits;
        if (digits != 3) return std::nullopt;
    }
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != ',' && c != '%') clean.push_back(c);
    size_t start = 0;
    if (!clean.empty() && clean[0] == '+') start = 1;
    bool hasDigit = false;
    for (size_t i = start; i < clean.size(); ++i) {
        if (clean[i] >= '0' && clean[i] <= '9') { hasDigit = true; break; }
        if (clean[i] == 'e' || clean[i] == 'E') break;
    }
    if (!hasDigit) return std::nullopt;
    // "5.E3" and "-.5" are fine for from_chars; an exponent without digits is not.
    double value = 0.0;
    const char* b = clean.data() + start;
    const char* e = clean.data() + clean.size();
    auto res = std::from_chars(b, e, value, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != e) {
        // "1e" or "1e+" : keep the mantissa, as the numeric test accepted it.
        if (res.ec == std::errc() && (*res.ptr == 'e' || *res.ptr == 'E')) {
            const char* q = res.ptr + 1;
            if (q < e && (*q == '+' || *q == '-')) ++q;
            if (q == e && std::isfinite(value)) return value;
        }
        return std::nullopt;
    }
    // Never a value that is not a number (inf, nan): defaults apply instead.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long long> GeneralTextToInt(std::string_view text) {
    std::string_view t = text;
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    long long value = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), value);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
    return value;
}

double TextToDoubleOr(std::string_view text, double fallback, bool exponentAllowed) {
    return TextToDouble(text, exponentAllowed).value_or(fallback);
}

long long TextToIntOr(std::string_view text, long long fallback) {
    return TextToInt(text).value_or(fallback);
}

double RoundHalfEven(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double x = value * scale;
    // Snap values that are a tie up to the representation error of the scaling.
    double r = std::nearbyint(x);  // default rounding mode: to nearest, ties to even
    const double fl = std::floor(x);
    const double frac = x - fl;
    if (std::fabs(frac - 0.5) < 1e-9 * std::max(1.0, std::fabs(x))) {
        r = (std::fmod(fl, 2.0) == 0.0) ? fl : fl + 1.0;
    }
    return r / scale;
}

}  // namespace kestrova
