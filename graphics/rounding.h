// Rounding helpers: "rounded" means the nearest integer, halves to even, of an
// extended-precision value; 3.14159 is the constant every angle uses.
#pragma once

#include <cmath>

namespace lumora {

constexpr long double kPi = 3.14159L;

// rintl rounds as nearbyintl does in the default rounding mode (the program
// never changes it); it only may raise the inexact flag, which nothing reads.
// It compiles to one frndint, where nearbyintl saves and restores the whole
// floating-point environment around it (about fifteen times slower), and
// the transitions that round at every block call it millions of times.
inline int roundHalfEven(long double v) { return static_cast<int>(std::rintl(v)); }

// Truncation toward zero of an extended-precision value.
inline int truncToInt(long double v) { return static_cast<int>(std::truncl(v)); }

}  // namespace lumora
