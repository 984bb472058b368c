#include "exports/export_common.hpp"

#include <ctime>

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"

namespace kestrova {

TExportTime CurrentExportTime() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    TExportTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    return t;
}

std::string ExportDate(const TExportTime& t, char sep) {
    const std::string s(1, sep);
    return Format("%02d" + s + "%02d" + s + "%04d", t.day, t.month, t.year);
}

std::string ExportClock(const TExportTime& t) {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

bool ExportHeights() { return Param().export_hauteurs_brelix == "Y"; }

}  // namespace kestrova
