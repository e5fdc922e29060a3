// The detector's arithmetic against results of the x86-64 build, whose 80-bit long double
// rounding the cell borders have always followed. Plain C++ without Qt: the test command also
// cross-compiles it for aarch64 and runs it under qemu, where long double is 128 bits wide.

#include "motion/detectormath.h"

#include <cstdio>

namespace {

struct ScaledCase
{
    int numerator, denominator, factor, expected;
};

// Picked from a sweep of sizes up to 4096 pixels and grids up to 1000 cells where double or a
// 128-bit long double truncates to another integer; the comment gives which of them does.
constexpr ScaledCase scaledCases[] = {
    // cells / pixels x pixel: the cell of a pixel
    {84, 320, 240, 62},     // both 63
    {2, 82, 41, 0},         // both 1
    {84, 240, 180, 63},     // both 62
    {16, 720, 45, 0},       // both 1
    {26, 720, 360, 13},     // both 12
    {64, 82, 41, 31},       // both 32
    {100, 194, 97, 49},     // 128-bit 50
    {902, 3462, 1731, 450}, // both 451
    {992, 3254, 1627, 495}, // 128-bit 496
    {891, 3555, 1975, 495}, // 128-bit 494
    // pixels / cells x index: grid lines and marked cells
    {240, 84, 77, 219}, // both 220
    {240, 43, 43, 240}, // 128-bit 239
    {240, 86, 43, 120}, // 128-bit 119
    {240, 21, 21, 239}, // both 240
    {1, 125, 125, 0},   // double 1
    {1, 103, 103, 1},   // double 0
    {1, 111, 111, 1},   // 128-bit 0
    {1, 239, 239, 0},   // 128-bit 1
    // plain cases and signs
    {0, 320, 5, 0},
    {320, 25, 1, 12},
    {-84, 320, 240, -62},
    {84, -320, 240, -62},
};

struct IntCase
{
    int input, expected;
};

// Round(d x 1.725): 20 x 1.725 and 60 x 1.725 are exact halves in 64-bit precision.
constexpr IntCase brightnessCases[] = {
    {0, 0}, {1, 2}, {20, 34}, {60, 104}, {100, 172}, {255, 440}, {-20, -34},
};

// ceil(450 - 430 x log10(S + 1)) limited to -1..1000; S = 9 gives exactly 20.
constexpr IntCase thresholdCases[] = {
    {-2, 1000}, {-1, 1000}, {0, 450}, {1, 321}, {2, 245}, {3, 192}, {4, 150}, {5, 116},
    {6, 87},    {7, 62},    {8, 40},  {9, 20},  {10, 3},  {11, -1}, {99, -1}, {2147483647, -1},
};

int failures = 0;

void expect(const char *what, long a, long b, long c, int got, int expected)
{
    if (got == expected)
        return;
    std::printf("FAIL %s(%ld, %ld, %ld) = %d, expected %d\n", what, a, b, c, got, expected);
    ++failures;
}

} // namespace

int main()
{
    for (const ScaledCase &t : scaledCases)
        expect("scaledTrunc", t.numerator, t.denominator, t.factor,
               DetectorMath::scaledTrunc(t.numerator, t.denominator, t.factor), t.expected);
    for (const IntCase &t : brightnessCases)
        expect("brightnessMeasure", t.input, 0, 0, DetectorMath::brightnessMeasure(t.input),
               t.expected);
    for (const IntCase &t : thresholdCases)
        expect("minimumMeasure", t.input, 0, 0, DetectorMath::minimumMeasure(t.input), t.expected);
    std::printf("%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
