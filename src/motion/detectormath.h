#pragma once
// The motion detector's floating-point steps, computed so that they give the same results on
// every machine. Its quotients have always been rounded the way x86-64's 80-bit long double
// rounds them, to 64 significant bits; another width (the 128-bit long double of aarch64, or
// double) moves some cell borders by a pixel, so the rounding is done here in integers.
// Plain C++ without Qt, so that its test also builds and runs for another architecture.

namespace DetectorMath {

/// Trunc((numerator / denominator) x factor), the quotient and then the product each rounded
/// to the nearest value with a 64-bit significand (halves to even): 84 / 320 x 240 gives 62,
/// not 63. denominator must not be 0.
int scaledTrunc(int numerator, int denominator, int factor);

/// Round(difference x 1.725), halves to even, with 1.725 and the product each held with a
/// 64-bit significand: 20 x 1.725 is 34.5 there and gives 34, 60 x 1.725 gives 104.
int brightnessMeasure(int difference);

/// The smallest integer measure m with m >= 450 - 430 x log10(sensitivity + 1), limited to
/// -1..1000; 1000, never reached, where sensitivity + 1 <= 0 and the logarithm has no value.
int minimumMeasure(int sensitivity);

} // namespace DetectorMath
