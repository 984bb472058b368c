#include "base/utf8.hpp"

#include <cstdint>
#include <cstring>

namespace kestrova {

namespace {
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of character `index`, or text.size() when beyond the end.
size_t ByteOffset(std::string_view text, size_t index) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsContinuation(static_cast<unsigned char>(text[i]))) continue;
        if (chars == index) return i;
        ++chars;
    }
    return text.size();
}
}  // namespace

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        if (!IsContinuation(static_cast<unsigned char>(c))) ++n;
    return n;
}

std::string Utf8Left(std::string_view text, size_t count) {
    return std::string(text.substr(0, ByteOffset(text, count)));
}

std::string Utf8Mid(std::string_view text, size_t start, size_t count) {
    const size_t b = ByteOffset(text, start);
    if (count == std::string::npos) return std::string(text.substr(b));
    const size_t e = b + ByteOffset(text.substr(b), count);
    return std::string(text.substr(b, e - b));
}

std::string PadRight(std::string_view text, size_t width) {
    std::string r(text);
    const size_t n = Utf8Length(text);
    if (n < width) r.append(width - n, ' ');
    return r;
}

std::string PadLeft(std::string_view text, size_t width) {
    const size_t n = Utf8Length(text);
    std::string r;
    if (n < width) r.assign(width - n, ' ');
    r.append(text);
    return r;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        // ASCII eight bytes at a time.
        if (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len;
        unsigned min;
        unsigned cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
        else return false;
        if (i + len > text.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char d = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuation(d)) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace kestrova
