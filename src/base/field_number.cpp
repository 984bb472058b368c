#include "base/field_number.hpp"

#include <cmath>

#include "base/numbers.hpp"

namespace kestrova {

namespace {

bool IsPlainDecimal(std::string_view text, char point) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool digit = false, seen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == point && !seen) seen = true;
        else return false;
    }
    return digit;
}

}  // namespace

std::optional<double> PlainFieldNumber(std::string_view text) {
    if (!IsPlainDecimal(text, '.')) return std::nullopt;
    const std::optional<double> value = TextToDouble(text, false);
    // 10^15 and more cannot be written back as a plain decimal by the
    // formats of the files (they switch to the exponent form there).
    if (!value || !std::isfinite(*value) || std::fabs(*value) >= 1e15) return std::nullopt;
    return value;
}

std::string FieldNumberProblem(std::string_view field, std::string_view text) {
    std::string problem(field);
    if (text.empty()) return "champ " + problem + " vide";
    problem += " « ";
    problem += text;
    problem += IsPlainDecimal(text, '.') ? " » hors limites" : " » non numérique";
    if (text.find(',') != std::string_view::npos && IsPlainDecimal(text, ','))
        problem += " (utilisez le point décimal)";
    return problem;
}

double FieldNumber(std::string_view text, int line, std::string_view field) {
    const std::optional<double> value = PlainFieldNumber(text);
    if (!value) throw TFieldValueError(line, FieldNumberProblem(field, text));
    return *value;
}

}  // namespace kestrova
