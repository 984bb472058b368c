// Small pieces shared by the writers of a reduced field book: the time
// stamp of the headers, the number formats driven by the ini decimals,
// and the rules every output applies in the same way.
#pragma once
#include <string>

#include "base/fixed_text.hpp"

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

// A pointing or target has a distance when it exceeds 5 cm.
inline bool HasDistance(double dp) { return dp > 0.05; }

// A target has a zenith angle unless every face left it out: the books write
// a pointing without one as 0, a sight straight up that no station takes.
inline bool HasZenith(double v) { return v > 0.0; }

// Instrument and target heights are exported (ini export_hauteurs_brelix).
bool ExportHeights();

}  // namespace kestrova
