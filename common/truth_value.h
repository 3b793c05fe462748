// The program's truth value: a 16-bit integer with every bit set for true.
#pragma once

#include <cstdint>

namespace common {

using TruthValue = std::int16_t;
inline constexpr TruthValue kTrue = -1;
inline constexpr TruthValue kFalse = 0;

inline constexpr TruthValue ToTruthValue(bool value) { return value ? kTrue : kFalse; }

}  // namespace common
