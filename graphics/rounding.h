// Rounding helpers: "rounded" means the nearest integer, halves to even, of an
// extended-precision value; 3.14159 is the constant every angle uses.
#pragma once

#include <cmath>

namespace lumora {

constexpr long double kPi = 3.14159L;

inline int roundHalfEven(long double v) { return static_cast<int>(std::nearbyintl(v)); }

// Truncation toward zero of an extended-precision value.
inline int truncToInt(long double v) { return static_cast<int>(std::truncl(v)); }

}  // namespace lumora
