// Locale-free number conversion. Every text is tested with IsNumericText
// first; "." is the decimal separator whatever the user's locale.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Converts a numeric text ("12", "-3.5", ".5", "1.5E-3", "12%", "1,234.5").
// Fails on a text that is not numeric or holds no digit ("-", ".").
inline std::optional<double> TextToDouble(std::string_view text, bool exponentAllowed = true);

// The two halves of TextToDouble. A plain decimal ("-123.4567": optional
// minus, digits, optional point and digits, at most 15 digits in all) is
// converted by one exact division, which gives the correctly rounded double
// as the general conversion does; ParsePlainDecimal returns false for any
// other text, which then goes to the general conversion.
inline bool ParsePlainDecimal(std::string_view text, double& value) {
    // Powers of ten that a double holds exactly.
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    // Digits, then optionally a point followed by at least one digit.
    unsigned long long mantissa = 0;
    const char* const intStart = p;
    while (p != end && static_cast<unsigned>(*p - '0') < 10u) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    long digits = p - intStart;
    if (digits == 0) return false;
    long decimals = 0;
    if (p != end && *p == '.') {
        const char* const fracStart = ++p;
        while (p != end && static_cast<unsigned>(*p - '0') < 10u)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        decimals = p - fracStart;
        if (decimals == 0) return false;
        digits += decimals;
    }
    // 15 digits stay below 2^53 (the mantissa is exact) and 10^15 is exact:
    // the quotient is the correctly rounded value of the text.
    if (p != end || digits > 15) return false;
    const double v = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    value = negative ? -v : v;
    return true;
}
std::optional<double> GeneralTextToDouble(std::string_view text, bool exponentAllowed);

inline std::optional<double> TextToDouble(std::string_view text, bool exponentAllowed) {
    if (double v; ParsePlainDecimal(text, v)) return v;
    return GeneralTextToDouble(text, exponentAllowed);
}

// Integer conversion: fails on anything but an optional sign and digits
// (so "2.5" fails, as the integer keys of the parameters expect). A sign
// and up to 18 digits are converted here, any other text by the general
// conversion.
std::optional<long long> GeneralTextToInt(std::string_view text);
inline std::optional<long long> TextToInt(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative || (p != end && *p == '+')) ++p;
    if (p == end || end - p > 18) return GeneralTextToInt(text);
    long long value = 0;
    for (; p != end; ++p) {
        if (static_cast<unsigned>(*p - '0') >= 10u) return GeneralTextToInt(text);
        value = value * 10 + (*p - '0');
    }
    return negative ? -value : value;
}

// Value of a numeric text, or the fallback when the text is not a number.
double TextToDoubleOr(std::string_view text, double fallback, bool exponentAllowed = true);
long long TextToIntOr(std::string_view text, long long fallback);

// Round half to even at the given number of decimals.
double RoundHalfEven(double value, int decimals = 0);

}  // namespace kestrova
