// Locale-free number conversion. Every text is tested with IsNumericText
// first; "." is the decimal separator whatever the user's locale.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Converts a numeric text ("12", "-3.5", ".5", "1.5E-3", "12%", "1,234.5").
// Fails on a text that is not numeric or holds no digit ("-", ".").
std::optional<double> TextToDouble(std::string_view text, bool exponentAllowed = true);

// The two halves of TextToDouble. A plain decimal ("-123.4567": optional
// minus, digits, optional point and digits, at most 15 digits in all) is
// converted by one exact division, which gives the correctly rounded double
// as the general conversion does; ParsePlainDecimal returns nothing for any
// other text, which then goes to the general conversion.
std::optional<double> ParsePlainDecimal(std::string_view text);
std::optional<double> GeneralTextToDouble(std::string_view text, bool exponentAllowed);

// Integer conversion: fails on anything but an optional sign and digits
// (so "2.5" fails, as the integer keys of the parameters expect).
std::optional<long long> TextToInt(std::string_view text);

// Value of a numeric text, or the fallback when the text is not a number.
double TextToDoubleOr(std::string_view text, double fallback, bool exponentAllowed = true);
long long TextToIntOr(std::string_view text, long long fallback);

// Round half to even at the given number of decimals.
double RoundHalfEven(double value, int decimals = 0);

}  // namespace kestrova
