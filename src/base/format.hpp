// printf-style formatting that never depends on the user's locale and
// counts characters (not bytes) in text widths and precisions.
//
//   Format("%-16s%10.4f", name, value)
//
// Supported conversions: d i u x X c s f F e E g G and %%, with flags
// "-+ 0#", width and precision (a "*" is not supported). A floating value
// that rounds to zero is printed without its minus sign.
//
// Absurd values never widen a line: with "%f"/"%F" (and the fixed-point
// helpers of fixed_text.hpp), a value of magnitude 1e15 or more is printed
// in exponent form, "1.000E+308", its decimals cut so that the text fits
// the width when there is one (down to "1E+308"); a value that is not a
// number at all (an overflowed computation: inf, nan) prints as "*"
// repeated over the width (one "*" without a width).
#pragma once
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrova {

using FormatArg = std::variant<long long, unsigned long long, double, std::string>;

std::string FormatList(std::string_view fmt, const std::vector<FormatArg>& args);

namespace detail {
inline FormatArg ToFormatArg(double v) { return v; }
inline FormatArg ToFormatArg(float v) { return static_cast<double>(v); }
inline FormatArg ToFormatArg(int v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(long v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(long long v) { return v; }
inline FormatArg ToFormatArg(unsigned v) { return static_cast<unsigned long long>(v); }
inline FormatArg ToFormatArg(unsigned long v) { return static_cast<unsigned long long>(v); }
inline FormatArg ToFormatArg(unsigned long long v) { return v; }
inline FormatArg ToFormatArg(char v) { return std::string(1, v); }
inline FormatArg ToFormatArg(bool v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(const char* v) { return std::string(v ? v : ""); }
inline FormatArg ToFormatArg(std::string_view v) { return std::string(v); }
inline FormatArg ToFormatArg(const std::string& v) { return v; }
}  // namespace detail

template <typename... Args>
std::string Format(std::string_view fmt, const Args&... args) {
    return FormatList(fmt, std::vector<FormatArg>{detail::ToFormatArg(args)...});
}

// The text of a value too large for the fixed-point form (see above), or
// "" when the fixed-point form is fine. `width` 0: no width.
std::string OutOfRangeFixedText(double value, int decimals, int width);

// Fixed-point text with the given decimals ("%.*f"), no "-0".
std::string FormatFixed(double value, int decimals);

// Fixed-point text with the given decimals but at most `significant`
// significant digits (the form of the ini factors and dialog fields).
std::string FormatFixedSignificant(double value, int decimals, int significant);

}  // namespace kestrova
