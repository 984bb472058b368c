#include "base/format.hpp"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <locale.h>

#include "base/utf8.hpp"

namespace kestrova {

namespace {

// snprintf follows LC_NUMERIC: every conversion runs under the C locale,
// so that "." stays the decimal separator whatever the process has set.
class CNumericScope {
public:
    CNumericScope() : previous_(uselocale(CLocale())) {}
    ~CNumericScope() { uselocale(previous_); }
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    static locale_t CLocale() {
        static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        return c;
    }
    locale_t previous_;
};

struct ConvSpec {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conv = 0;
};

std::string CFormat(const std::string& pattern, double v) {
    CNumericScope cLocale;
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, pattern.c_str(), v);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), pattern.c_str(), v);
    big.resize(static_cast<size_t>(n));
    return big;
}

template <typename T>
std::string CFormatInt(const std::string& pattern, T v) {
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, pattern.c_str(), v);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(std::min<int>(n, sizeof buf - 1)));
}

std::string PatternText(const ConvSpec& s, const char* lengthModifier, char conv) {
    std::string t = "%" + s.flags;
    if (s.width >= 0) t += std::to_string(s.width);
    if (s.precision >= 0) t += "." + std::to_string(s.precision);
    t += lengthModifier;
    t += conv;
    return t;
}

// True when a formatted floating text shows a minus sign on a value whose
// mantissa digits are all zero ("-0.00", "-0.0e+00").
bool IsNegativeZeroText(const std::string& text) {
    const size_t minus = text.find('-');
    if (minus == std::string::npos) return false;
    for (size_t i = minus + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == 'e' || c == 'E') break;
        if (c >= '1' && c <= '9') return false;
    }
    return true;
}

double AsDouble(const FormatArg& a) {
    if (auto p = std::get_if<double>(&a)) return *p;
    if (auto p = std::get_if<long long>(&a)) return static_cast<double>(*p);
    if (auto p = std::get_if<unsigned long long>(&a)) return static_cast<double>(*p);
    return 0.0;
}

long long AsInt(const FormatArg& a) {
    if (auto p = std::get_if<long long>(&a)) return *p;
    if (auto p = std::get_if<unsigned long long>(&a)) return static_cast<long long>(*p);
    if (auto p = std::get_if<double>(&a)) return static_cast<long long>(*p);
    if (auto p = std::get_if<std::string>(&a)) return p->empty() ? 0 : static_cast<unsigned char>((*p)[0]);
    return 0;
}

std::string AsText(const FormatArg& a) {
    if (auto p = std::get_if<std::string>(&a)) return *p;
    if (auto p = std::get_if<double>(&a)) return CFormat("%g", *p);
    return std::to_string(AsInt(a));
}

std::string FormatText(const ConvSpec& s, std::string text) {
    if (s.precision >= 0) text = Utf8Left(text, static_cast<size_t>(s.precision));
    if (s.width >= 0) {
        const bool left = s.flags.find('-') != std::string::npos;
        text = left ? PadRight(text, static_cast<size_t>(s.width)) : PadLeft(text, static_cast<size_t>(s.width));
    }
    return text;
}

std::string FormatOne(const ConvSpec& s, const FormatArg& arg) {
    switch (s.conv) {
        case 'd': case 'i':
            return CFormatInt(PatternText(s, "ll", 'd'), AsInt(arg));
        case 'u': case 'x': case 'X':
            return CFormatInt(PatternText(s, "ll", s.conv), static_cast<unsigned long long>(AsInt(arg)));
        case 'c': {
            std::string t = std::holds_alternative<std::string>(arg)
                                ? Utf8Left(std::get<std::string>(arg), 1)
                                : std::string(1, static_cast<char>(AsInt(arg)));
            ConvSpec c = s;
            c.precision = -1;
            return FormatText(c, t);
        }
        case 's':
            return FormatText(s, AsText(arg));
        default: {  // f F e E g G
            const double v = AsDouble(arg);
            if (s.conv == 'f' || s.conv == 'F') {
                std::string big = OutOfRangeFixedText(v, s.precision < 0 ? 6 : s.precision, s.width < 0 ? 0 : s.width);
                if (!big.empty()) {
                    if (s.flags.find('-') != std::string::npos && s.width > 0 && big.front() == ' ') {
                        const size_t lead = big.find_first_not_of(' ');
                        big = big.substr(lead) + std::string(lead, ' ');
                    }
                    return big;
                }
            }
            const std::string pattern = PatternText(s, "", s.conv);
            std::string out = CFormat(pattern, v);
            if (std::isfinite(v) && std::signbit(v) && IsNegativeZeroText(out)) out = CFormat(pattern, 0.0);
            return out;
        }
    }
}

}  // namespace

std::string FormatList(std::string_view fmt, const std::vector<FormatArg>& args) {
    std::string out;
    out.reserve(fmt.size() + 16 * args.size());
    size_t next = 0;
    size_t i = 0;
    while (i < fmt.size()) {
        const char c = fmt[i];
        if (c != '%') { out.push_back(c); ++i; continue; }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') { out.push_back('%'); i += 2; continue; }
        ConvSpec s;
        size_t p = i + 1;
        while (p < fmt.size() && std::string_view("-+ 0#").find(fmt[p]) != std::string_view::npos) s.flags.push_back(fmt[p++]);
        if (p < fmt.size() && fmt[p] >= '0' && fmt[p] <= '9') {
            s.width = 0;
            while (p < fmt.size() && fmt[p] >= '0' && fmt[p] <= '9') s.width = s.width * 10 + (fmt[p++] - '0');
        }
        if (p < fmt.size() && fmt[p] == '.') {
            ++p;
            s.precision = 0;
            while (p < fmt.size() && fmt[p] >= '0' && fmt[p] <= '9') s.precision = s.precision * 10 + (fmt[p++] - '0');
        }
        while (p < fmt.size() && std::string_view("hlLqjzt").find(fmt[p]) != std::string_view::npos) ++p;
        if (p >= fmt.size() || std::string_view("diuxXcsfFeEgG").find(fmt[p]) == std::string_view::npos) {
            out.append(fmt.substr(i, p - i));  // not a conversion: copied as it stands
            i = p;
            continue;
        }
        s.conv = fmt[p];
        out += next < args.size() ? FormatOne(s, args[next]) : std::string();
        ++next;
        i = p + 1;
    }
    return out;
}

std::string OutOfRangeFixedText(double value, int decimals, int width) {
    if (std::isfinite(value) && std::fabs(value) < 1e15) return {};
    if (width < 0) width = 0;
    if (!std::isfinite(value)) return std::string(static_cast<size_t>(std::max(width, 1)), '*');
    // "d.dddE+ddd": 7 characters besides the decimals, 8 with a sign.
    int digits = decimals < 0 ? 0 : decimals;
    if (width > 0) digits = std::clamp(width - (value < 0 ? 8 : 7), 0, digits);
    std::string text = CFormat("%." + std::to_string(digits) + "E", value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
    return text;
}

std::string FormatFixed(double value, int decimals) {
    return Format("%." + std::to_string(decimals) + "f", value);
}

std::string FormatFixedSignificant(double value, int decimals, int significant) {
    // The value is first rounded to `significant` digits, then shown with
    // `decimals` decimals: 1.00049999 with 8 digits and 4 decimals is 1.0005.
    if (!std::isfinite(value) || value == 0.0 || significant <= 0) return FormatFixed(value, decimals);
    const std::string sci = CFormat("%." + std::to_string(significant - 1) + "e", value);
    double rounded = value;
    std::from_chars(sci.data(), sci.data() + sci.size(), rounded);
    return FormatFixed(rounded, decimals);
}

}  // namespace kestrova
