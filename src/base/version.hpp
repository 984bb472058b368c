#pragma once

namespace kestrova {
inline constexpr const char* kVersion = "v1.1.2";
inline constexpr const char* kVersionDate = "2018-01-12";
}  // namespace kestrova
