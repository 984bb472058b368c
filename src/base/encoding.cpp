#include "base/encoding.hpp"

#include <cstdint>
#include <cstring>

#include "base/utf8.hpp"

namespace kestrova {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252 (undefined bytes keep
// their C1 value so that nothing is lost).
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one code point at i (text assumed valid UTF-8 or nearly so).
char32_t NextCodePoint(std::string_view t, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    size_t len = 1;
    char32_t cp = c;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else if (c >= 0x80) { ++i; return 0xFFFD; }
    if (i + len > t.size()) { i = t.size(); return 0xFFFD; }
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(t[i + k]) & 0x3F);
    i += len;
    return cp;
}

int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == cp) return 0x80 + k;
    return -1;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    AppendCp1252AsUtf8(out, bytes);
    return out;
}

void AppendCp1252AsUtf8(std::string& out, std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // A run of ASCII bytes is the same in both: appended at once.
        std::size_t run = i;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80) ++run;
        out.append(bytes.data() + i, run - i);
        if (run == bytes.size()) break;
        const unsigned char c = static_cast<unsigned char>(bytes[run]);
        AppendUtf8(out, c < 0xA0 ? kHigh[c - 0x80] : c);
        i = run + 1;
    }
}

std::size_t Utf8ToCp1252(std::string_view text, char* out) {
    char* o = out;
    size_t i = 0;
    while (i < text.size()) {
        // Eight ASCII bytes at a time.
        if (i + 8 <= text.size()) {
            std::uint64_t w;
            std::memcpy(&w, text.data() + i, 8);
            if ((w & 0x8080808080808080ULL) == 0) {
                std::memcpy(o, &w, 8);
                o += 8;
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[i]) < 0x80) { *o++ = text[i++]; continue; }
        const int b = Cp1252Byte(NextCodePoint(text, i));
        *o++ = b < 0 ? '?' : static_cast<char>(b);
    }
    return static_cast<std::size_t>(o - out);
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out(text.size(), '\0');
    out.resize(Utf8ToCp1252(text, out.data()));
    return out;
}

std::string Utf8ToLatin1Xml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) { out.push_back(text[i++]); continue; }
        const char32_t cp = NextCodePoint(text, i);
        if (cp <= 0xFF) out.push_back(static_cast<char>(cp));
        else out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    }
    return out;
}

std::string DecodeFileText(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

}  // namespace kestrova
