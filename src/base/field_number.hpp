// The one rule for a numeric field of the adjustment files that the
// converters read (values, standard deviations, heights, coordinates,
// height differences): a plain decimal number, finite, with "." as the
// decimal separator. Anything else stops the conversion with a message
// naming the line and the field, nothing being written.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrova {

// The number of a plain decimal text (optional sign, digits, at most one
// point, no exponent, no thousands separator), or nothing when the text is
// not one or its magnitude is not below 10^15 (infinite included).
std::optional<double> PlainFieldNumber(std::string_view text);

// What is wrong with a field that is not a number, in French:
// "écart type « abc » non numérique", with the hint
// " (utilisez le point décimal)" for a decimal comma ("1,25"); a plain
// decimal of 10^15 or more is "hors limites".
std::string FieldNumberProblem(std::string_view field, std::string_view text);

// A field that must be a number and is not: its 1-based line and the
// problem (FieldNumberProblem).
class TFieldValueError : public std::runtime_error {
public:
    TFieldValueError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The number of the field, or TFieldValueError naming the line and field.
double FieldNumber(std::string_view text, int line, std::string_view field);

}  // namespace kestrova
