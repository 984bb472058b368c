// Small pieces shared by the writers of a reduced field book: the time
// stamp of the headers, the number formats driven by the ini decimals,
// and the rules every output applies in the same way.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova {

// A local date and time as written in file headers.
struct TExportTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// The current local time.
TExportTime CurrentExportTime();

// "dd/mm/yyyy" (sep "/") or "dd-mm-yyyy" (sep "-"), and "hh:nn:ss".
std::string ExportDate(const TExportTime& t, char sep);
std::string ExportClock(const TExportTime& t);

// printf format of a fixed-point number: FixedFormat(10, 4) is "%10.4f",
// FixedFormat(0, 4) is "%.4f".
std::string FixedFormat(int width, int decimals);

// Fast appenders for the per-line work of the writers; they give the same
// text as Format with "%*.*f", "%*d", "%-*s" and "%*s" (widths count
// characters; a value that rounds to zero has no minus sign).
void AppendFixed(std::string& out, double value, int decimals, std::size_t width = 0);
void AppendInt(std::string& out, long long value, std::size_t width = 0);
void AppendPadRight(std::string& out, std::string_view text, std::size_t width);
void AppendPadLeft(std::string& out, std::string_view text, std::size_t width);
std::string FixedText(double value, int decimals, std::size_t width = 0);

// A pointing or target has a distance when it exceeds 5 cm.
inline bool HasDistance(double dp) { return dp > 0.05; }

// Instrument and target heights are exported (ini export_hauteurs_brelix).
bool ExportHeights();

// The path without its extension (the last "." after the last "/").
std::string PathWithoutExt(const std::string& path);

}  // namespace kestrova
