// One output line built in place, piece by piece: the writers' per-line
// work. The block is kept from line to line (Clear), each piece is written
// straight into it after one room check, and numbers are formatted there
// (the same texts as AppendFixed, AppendInt, AppendPadRight, AppendPadLeft).
#pragma once
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/fixed_text.hpp"

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
        return *this;
    }
    std::string_view View() const { return {data_.get(), Size()}; }
    std::size_t Size() const { return static_cast<std::size_t>(end_ - data_.get()); }
    std::string Str() const { return std::string(View()); }

    TLineText& Char(char c) {
        *Room(1) = c;
        ++end_;
        return *this;
    }
    TLineText& Text(std::string_view text) {
        std::memcpy(Room(text.size()), text.data(), text.size());
        end_ += text.size();
        return *this;
    }
    // A string literal (not a char buffer: its whole size less one is
    // taken): its length known here, the copy is a few stores.
    template <std::size_t N>
    TLineText& Text(const char (&literal)[N]) {
        std::memcpy(Room(N - 1), literal, N - 1);
        end_ += N - 1;
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
        Text(text);
        const std::size_t n = CharCount(text);
        return n < width ? Blanks(width - n) : *this;
    }
    // Blanks up to `width` characters, then the text.
    TLineText& PadLeft(std::string_view text, std::size_t width) {
        const std::size_t n = CharCount(text);
        if (n < width) Blanks(width - n);
        return Text(text);
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
    // them.
    char* Extend(std::size_t n) {
        char* p = Room(n);
        end_ += n;
        return p;
    }
    // Every `what` from byte `from` on becomes `with`.
    TLineText& Replace(std::size_t from, char what, char with) {
        for (char* p = data_.get() + from; p < end_; ++p)
            if (*p == what) *p = with;
        return *this;
    }

private:
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
};

}  // namespace kestrova
