#include "base/line_text.hpp"

#include <algorithm>

namespace kestrova {

void TLineText::Grow(std::size_t n) {
    const std::size_t size = data_ ? Size() : 0;
    const std::size_t capacity = data_ ? static_cast<std::size_t>(cap_ - data_.get()) : 0;
    const std::size_t wanted = std::max(size + n, 2 * capacity);
    std::unique_ptr<char[]> bigger(new char[wanted]);
    if (size > 0) std::memcpy(bigger.get(), data_.get(), size);
    data_ = std::move(bigger);
    end_ = data_.get() + size;
    cap_ = data_.get() + wanted;
}

TLineText& TLineText::FixedGeneral(double value, int decimals, std::size_t width) {
    std::string text;
    AppendFixed(text, value, decimals, width);
    return Text(text);
}

TLineText& TLineText::FixedKept(double value, int decimals, std::size_t width, TFixedMemo& memo) {
    Room(width + kFixedRoom);  // the copy below reads kFixedRoom bytes from the start
    const std::size_t start = Size();
    Fixed(value, decimals, width);
    const std::size_t n = Size() - start;
    if (n <= kFixedRoom) {  // kept when short enough (it always is but for huge widths)
        std::memcpy(memo.text, data_.get() + start, kFixedRoom);
        memo.value = value;
        memo.decimals = decimals;
        memo.width = width;
        memo.size = n;
    }
    return *this;
}

}  // namespace kestrova
