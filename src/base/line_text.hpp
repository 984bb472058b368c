// One output line built in place, piece by piece: the writers' per-line
// work. The block is kept from line to line (Clear), each piece is written
// straight into it after one room check, and numbers are formatted there
// (the same texts as AppendFixed, AppendInt, AppendPadRight, AppendPadLeft).
// The line knows whether all its pieces are printable ASCII (Plain), from
// the pieces themselves: a sink then takes it without looking at it again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/fixed_text.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

// The last number a column printed, with its text: a value that repeats
// from line to line (a station's ppm, a constant standard deviation, a
// target height) is copied instead of formatted again. Same value bits,
// decimals and width: same text.
struct TFixedMemo {
    double value = 0.0;
    int decimals = -1;  // nothing kept yet
    std::size_t width = 0;
    std::size_t size = 0;
    char text[kFixedRoom] = {};
};

class TLineText {
public:
    TLineText() { Grow(256); }
    TLineText(const TLineText&) = delete;
    TLineText& operator=(const TLineText&) = delete;

    TLineText& Clear() {
        end_ = data_.get();
        plain_ = true;
        return *this;
    }
    // Printable ASCII only (see IsPrintableAscii).
    bool Plain() const { return plain_; }
    std::string_view View() const { return {data_.get(), Size()}; }
    std::size_t Size() const { return static_cast<std::size_t>(end_ - data_.get()); }
    std::string Str() const { return std::string(View()); }

    TLineText& Char(char c) {
        plain_ = plain_ && IsPrintable(c);
        *Room(1) = c;
        ++end_;
        return *this;
    }
    TLineText& Text(std::string_view text) {
        const std::size_t n = text.size();
        char* p = Room(n + kShortText);  // the check below reads kShortText bytes from p
        if (n <= kShortText) {
            CopyShort(p, text.data(), n);
            if (plain_) plain_ = PrintableShort(p, n);
        } else {
            std::memcpy(p, text.data(), n);
            if (plain_) plain_ = IsPrintableAscii(text);
        }
        end_ += n;
        return *this;
    }
    // A string literal (not a char buffer: its whole size less one is
    // taken): its length known here, the copy is a few stores.
    template <std::size_t N>
    TLineText& Text(const char (&literal)[N]) {
        for (std::size_t i = 0; i + 1 < N; ++i) plain_ = plain_ && IsPrintable(literal[i]);
        std::memcpy(Room(N - 1), literal, N - 1);
        end_ += N - 1;
        return *this;
    }
    // A text known to be printable ASCII (the digits of a number): not
    // checked again.
    TLineText& PlainText(std::string_view text) {
        std::memcpy(Room(text.size()), text.data(), text.size());
        end_ += text.size();
        return *this;
    }
    // Bytes [start, start + n) of another line.
    TLineText& Part(const TLineText& other, std::size_t start, std::size_t n) {
        plain_ = plain_ && other.plain_;
        std::memcpy(Room(n), other.data_.get() + start, n);
        end_ += n;
        return *this;
    }
    TLineText& Blanks(std::size_t n) {
        std::memset(Room(n + kFixedBlankRun), ' ', kFixedBlankRun);
        if (n > kFixedBlankRun) std::memset(end_, ' ', n);
        end_ += n;
        return *this;
    }
    // The text, then blanks up to `width` characters.
    TLineText& PadRight(std::string_view text, std::size_t width) {
        const std::size_t n = TextCounted(text);
        return n < width ? Blanks(width - n) : *this;
    }
    // Blanks up to `width` characters, then the text.
    TLineText& PadLeft(std::string_view text, std::size_t width) {
        const std::size_t start = Size();
        const std::size_t n = TextCounted(text);
        if (n < width) {
            // The text moves right, behind the blanks.
            char* p = Room(width - n + kFixedBlankRun) - text.size();
            std::memmove(p + (width - n), p, text.size());
            std::memset(p, ' ', width - n);
            end_ = data_.get() + start + text.size() + (width - n);
        }
        return *this;
    }
    // "%*.*f" (no "-0.000").
    TLineText& Fixed(double value, int decimals, std::size_t width = 0) {
        if (const std::size_t n = WriteFixedInPlace(Room(width + kFixedRoom), value, decimals, width)) {
            end_ += n;
            return *this;
        }
        return FixedGeneral(value, decimals, width);
    }
    // The same, through the memo of its column.
    TLineText& Fixed(double value, int decimals, std::size_t width, TFixedMemo& memo) {
        if (decimals == memo.decimals && width == memo.width && std::memcmp(&value, &memo.value, sizeof value) == 0) {
            std::memcpy(Room(kFixedRoom), memo.text, kFixedRoom);
            end_ += memo.size;
            return *this;
        }
        return FixedKept(value, decimals, width, memo);
    }
    // "%*lld".
    TLineText& Int(long long value, std::size_t width = 0) {
        end_ += WriteIntInPlace(Room(width + kFixedRoom), value, width);
        return *this;
    }

    // Room for n more bytes, counted in the line at once: the caller fills
    // them, with printable ASCII only.
    char* ExtendPlain(std::size_t n) {
        char* p = Room(n);
        end_ += n;
        return p;
    }
    // Every `what` from byte `from` on becomes `with`.
    TLineText& Replace(std::size_t from, char what, char with) {
        plain_ = plain_ && IsPrintable(with);
        for (char* p = data_.get() + from; p < end_; ++p)
            if (*p == what) *p = with;
        return *this;
    }

private:
    static constexpr bool IsPrintable(char c) { return c >= 0x20 && c < 0x7F; }
    // A name is short: its bytes copied at p (with room for kShortText
    // bytes there) are checked in two words, the bytes past n ignored.
    static constexpr std::size_t kShortText = 16;
    static bool PrintableShort(const char* p, std::size_t n) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
        // As in IsPrintableAscii: a byte below 0x20 or above 0x7E sets
        // its high bit; borrows and carries only go up, to the bytes
        // past n at worst.
        auto bad = [](std::uint64_t w) { return ((w - 0x20 * kOnes) & ~w) | ((w + kOnes) | w); };
        std::uint64_t a, b;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        const std::uint64_t maskA = n >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * n)) - 1;
        const std::uint64_t maskB = n >= 16 ? ~std::uint64_t(0) : n <= 8 ? 0 : (std::uint64_t(1) << (8 * (n - 8))) - 1;
        return (((bad(a) & maskA) | (bad(b) & maskB)) & kHigh) == 0;
    }
    // n bytes (16 at most) from `from` to `to`, in two moves that may
    // overlap, all within the n bytes: names are short.
    static void CopyShort(char* to, const char* from, std::size_t n) {
        if (n >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else if (n > 0) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    }
    // Text(), returning the number of characters of the text.
    std::size_t TextCounted(std::string_view text) {
        const bool before = plain_;
        plain_ = true;
        Text(text);
        const bool printable = plain_;
        plain_ = before && printable;
        return printable ? text.size() : CharCount(text);
    }
    char* Room(std::size_t n) {
        if (static_cast<std::size_t>(cap_ - end_) < n) Grow(n);
        return end_;
    }
    void Grow(std::size_t n);
    TLineText& FixedGeneral(double value, int decimals, std::size_t width);
    TLineText& FixedKept(double value, int decimals, std::size_t width, TFixedMemo& memo);

    std::unique_ptr<char[]> data_;
    char* end_ = nullptr;
    char* cap_ = nullptr;
    bool plain_ = true;
};

// A piece of a line kept with what it was made from: the next line made
// from the same (`Key`, compared whole) copies the piece instead of
// building it again.
template <typename Key>
class TTextMemo {
public:
    bool Holds(const Key& key) const { return held_ && key == key_; }
    void AppendTo(TLineText& line) const {
        if (plain_)
            line.PlainText(text_);
        else
            line.Text(text_);
    }
    // Keeps the bytes of `line` from `start` on.
    void Keep(const Key& key, const TLineText& line, std::size_t start) {
        key_ = key;
        held_ = true;
        text_.assign(line.View().substr(start));
        plain_ = IsPrintableAscii(text_);
    }

private:
    Key key_{};
    bool held_ = false;
    bool plain_ = true;
    std::string text_;
};

}  // namespace kestrova
