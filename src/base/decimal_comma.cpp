#include "base/decimal_comma.hpp"

#include <algorithm>

namespace kestrova {

std::string WithDecimalPoint(std::string_view text) {
    std::string r(text);
    if (std::count(r.begin(), r.end(), ',') == 1 && r.find('.') == std::string::npos) r[r.find(',')] = '.';
    return r;
}

}  // namespace kestrova
