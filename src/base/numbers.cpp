#include "base/numbers.hpp"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                        1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace

std::optional<double> ParsePlainDecimal(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    // Digits, then optionally a point followed by at least one digit.
    std::uint64_t mantissa = 0;
    int digits = 0;
    const char* const intStart = p;
    while (p != end && static_cast<unsigned>(*p - '0') < 10u) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    digits = static_cast<int>(p - intStart);
    if (digits == 0) return std::nullopt;
    int decimals = 0;
    if (p != end && *p == '.') {
        ++p;
        const char* const fracStart = p;
        while (p != end && static_cast<unsigned>(*p - '0') < 10u) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++p;
        }
        decimals = static_cast<int>(p - fracStart);
        if (decimals == 0) return std::nullopt;
        digits += decimals;
    }
    // 15 digits stay below 2^53 (no rounding of the mantissa) and 10^15 is
    // exact: the quotient is the correctly rounded value of the text.
    if (p != end || digits > 15) return std::nullopt;
    const double value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    return negative ? -value : value;
}

std::optional<double> TextToDouble(std::string_view text, bool exponentAllowed) {
    if (const auto plain = ParsePlainDecimal(text)) return plain;
    return GeneralTextToDouble(text, exponentAllowed);
}

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

std::optional<long long> TextToInt(std::string_view text) {
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
