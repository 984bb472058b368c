#include "levelling/niv_records.hpp"

#include <cstdint>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/utf8.hpp"

namespace kestrova {

std::string BrelixRecord(const Tdeniv& d) {
    if (!d.comment.empty()) return "* " + d.comment;
    return Format("4 %8s %8s %12.5f  %8.5f %8.5f %8.5f %8.5f", d.from, d.to, d.dh, d.sigma, 0.0, 0.0, 0.0);
}

std::string GeolabRecord(const Tdeniv& d) {
    if (!d.comment.empty()) return "* " + d.comment;
    return Format(" OHDF     %-12s %-12s                 %12.5f   %8.5f", d.from, d.to, d.dh, d.sigma);
}

std::string GamaXmlText(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                case '"': out += "&quot;"; break;
                default: out += c < 0x20 ? '?' : static_cast<char>(c); break;
            }
            ++i;
            continue;
        }
        // One UTF-8 sequence -> its code point as a reference.
        int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        uint32_t cp = len == 4 ? c & 0x07 : len == 3 ? c & 0x0F : len == 2 ? c & 0x1F : '?';
        for (int k = 1; k < len && i + static_cast<size_t>(k) < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3F);
        out += "&#" + std::to_string(cp) + ";";
        i += static_cast<size_t>(len);
    }
    return out;
}

namespace {

// gama-local reads a height difference's standard deviation in
// millimetres; written in mm with the resolution the metres had.
std::string GamaStdevText(double sigma, int decimals) {
    const int dec = decimals < 0 ? 0 : decimals;
    return FixedText(sigma * 1000.0, dec > 5 ? dec - 3 : 2);
}

}  // namespace

bool IsZeroStdev(double sigma, int decimals) {
    return !(sigma > 0.0) || GamaStdevText(sigma, decimals).find_first_not_of("0.") == std::string::npos ||
           FixedText(sigma, 5).find_first_not_of("0.") == std::string::npos;
}

std::string GamaRecord(const Tdeniv& d, int decimals) {
    if (!d.comment.empty()) {
        // "--" may not occur inside an XML comment.
        std::string text = GamaXmlText(d.comment);
        for (size_t p = text.find("--"); p != std::string::npos; p = text.find("--", p)) text.replace(p, 2, "- -");
        return "        <!-- " + text + " -->";
    }
    const int dec = decimals < 0 ? 0 : decimals;
    return "        <dh from=" + PadRight("\"" + GamaXmlText(d.from) + "\"", 16) + " to=" +
           PadRight("\"" + GamaXmlText(d.to) + "\"", 16) + " val=\"" + FixedText(d.dh, dec) + "\" stdev=\"" +
           GamaStdevText(d.sigma, decimals) + "\" />";
}

std::string BrelixRunHeader(int run) { return "* Cheminement " + std::to_string(run); }

std::string GamaRunHeader(int run) { return "        <!-- Cheminement " + std::to_string(run) + " -->"; }

}  // namespace kestrova
