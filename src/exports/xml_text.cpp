#include "exports/xml_text.hpp"

#include <array>
#include <cstdint>

namespace kestrova {

namespace {

// Decodes the UTF-8 sequence at text[i] and advances i; an invalid byte
// yields U+FFFD and advances by one.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b0 >= 0xF0 && b0 < 0xF8) { extra = 3; cp = b0 & 0x07; }
    else if (b0 >= 0xE0) { extra = 2; cp = b0 & 0x0F; }
    else if (b0 >= 0xC0) { extra = 1; cp = b0 & 0x1F; }
    else { ++i; return 0xFFFD; }
    if (i + static_cast<size_t>(extra) >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}

std::string Escape(std::string_view text, bool asciiOnly) {
    std::string out;
    out.reserve(text.size() + 8);
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            if (!asciiOnly) { out.push_back(c); ++i; continue; }
            const char32_t cp = NextCodePoint(text, i);
            out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ";";
            continue;
        }
        ++i;
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\t': out += "&#9;"; break;
            default:
                if (u < 0x20) out.push_back('?');
                else out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::string XmlText(std::string_view text) { return Escape(text, false); }

namespace {

// The bytes that Escape() changes (control characters, & < > ").
constexpr std::array<bool, 256> kEscaped = [] {
    std::array<bool, 256> escaped{};
    for (int c = 0; c < 0x20; ++c) escaped[static_cast<std::size_t>(c)] = true;
    for (const char c : {'&', '<', '>', '"'}) escaped[static_cast<unsigned char>(c)] = true;
    return escaped;
}();

bool NeedsEscape(std::string_view text) {
    bool any = false;
    for (const char c : text) any |= kEscaped[static_cast<unsigned char>(c)];
    return any;
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view text) {
    if (NeedsEscape(text))
        out += Escape(text, false);
    else
        out.append(text);
}

void AppendXmlText(TLineText& out, std::string_view text) {
    if (NeedsEscape(text))
        out.Text(Escape(text, false));
    else
        out.Text(text);
}

std::string XmlTextAscii(std::string_view text) { return Escape(text, true); }

std::string UriFileName(std::string_view utf8Name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8Name.size());
    for (char ch : utf8Name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

}  // namespace kestrova
