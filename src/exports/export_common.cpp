#include "exports/export_common.hpp"

#include <charconv>
#include <ctime>

#include "app/format.hpp"
#include "app/param.hpp"
#include "app/text_file.hpp"

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

std::string FixedFormat(int width, int decimals) {
    if (decimals < 0) decimals = 0;
    std::string f = "%";
    if (width > 0) f += std::to_string(width);
    return f + "." + std::to_string(decimals) + "f";
}

namespace {

std::size_t CharCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals, std::size_t width) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    if (r.ec != std::errc()) {
        const std::string t = FormatFixed(value, decimals);
        if (t.size() < width) out.append(width - t.size(), ' ');
        out += t;
        return;
    }
    std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789", 1) == std::string_view::npos &&
        text.find_first_of("0", 1) != std::string_view::npos)
        text.remove_prefix(1);  // never "-0.000"
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text);
}

void AppendInt(std::string& out, long long value, std::size_t width) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (n < width) out.append(width - n, ' ');
    out.append(buf, n);
}

void AppendPadRight(std::string& out, std::string_view text, std::size_t width) {
    out.append(text);
    const std::size_t n = CharCount(text);
    if (n < width) out.append(width - n, ' ');
}

void AppendPadLeft(std::string& out, std::string_view text, std::size_t width) {
    const std::size_t n = CharCount(text);
    if (n < width) out.append(width - n, ' ');
    out.append(text);
}

std::string FixedText(double value, int decimals, std::size_t width) {
    std::string s;
    AppendFixed(s, value, decimals, width);
    return s;
}

bool ExportHeights() { return Param().export_hauteurs_brelix == "Y"; }

std::string PathWithoutExt(const std::string& path) {
    return path.substr(0, path.size() - ExtractFileExt(path).size());
}

}  // namespace kestrova
