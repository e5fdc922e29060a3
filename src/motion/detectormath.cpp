#include "motion/detectormath.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace DetectorMath {

namespace {

__extension__ using Wide = unsigned __int128;

constexpr int significandBits = 64;

// A non-negative number significand / 2^shift.
struct Extended
{
    Wide significand;
    int shift;
};

int bitLength(Wide v)
{
    const auto high = static_cast<std::uint64_t>(v >> 64);
    const auto low = static_cast<std::uint64_t>(v);
    return high != 0 ? 64 + static_cast<int>(std::bit_width(high))
                     : static_cast<int>(std::bit_width(low));
}

// v / 2^drop rounded to the nearest integer, halves to the even neighbour.
Wide shiftRounded(Wide v, int drop)
{
    if (drop <= 0)
        return v;
    if (drop >= 128)
        return 0; // every v used here is below 2^127, so the quotient is below a half
    const Wide kept = v >> drop;
    const Wide rest = v - (kept << drop);
    const Wide half = Wide(1) << (drop - 1);
    return rest > half || (rest == half && (kept & 1) != 0) ? kept + 1 : kept;
}

// Rounds to a 64-bit significand, as every extended-precision operation does.
Extended rounded(Wide significand, int shift)
{
    const int excess = bitLength(significand) - significandBits;
    if (excess <= 0)
        return {significand, shift};
    significand = shiftRounded(significand, excess);
    shift -= excess;
    if (bitLength(significand) > significandBits) { // rounded up to the next power of two
        significand >>= 1;
        --shift;
    }
    return {significand, shift};
}

// a / b for a, b below 2^32, b > 0, rounded to a 64-bit significand.
Extended quotient(std::uint64_t a, std::uint64_t b)
{
    if (a == 0)
        return {0, 0};
    // Enough quotient bits (at least 66) that one more sticky bit for a non-zero remainder
    // decides the rounding exactly.
    const int scale = 66 + bitLength(b) - bitLength(a);
    const Wide scaled = Wide(a) << scale;
    const Wide q = scaled / b;
    const bool inexact = q * b != scaled;
    return rounded((q << 1) | (inexact ? 1 : 0), scale + 1);
}

Extended times(Extended x, std::uint64_t factor)
{
    return rounded(x.significand * factor, x.shift);
}

Wide truncated(Extended x)
{
    if (x.shift <= 0)
        return x.significand << -x.shift;
    return x.shift >= 128 ? 0 : x.significand >> x.shift;
}

std::uint64_t magnitude(int v)
{
    return v < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

int withSign(Wide magnitude, bool negative)
{
    const auto v = static_cast<long long>(magnitude);
    return static_cast<int>(negative ? -v : v);
}

} // namespace

int scaledTrunc(int numerator, int denominator, int factor)
{
    if (denominator == 0)
        return 0;
    const bool negative = ((numerator < 0) != (denominator < 0)) != (factor < 0);
    const Extended ratio = quotient(magnitude(numerator), magnitude(denominator));
    return withSign(truncated(times(ratio, magnitude(factor))), negative);
}

int brightnessMeasure(int difference)
{
    static const Extended factor = quotient(69, 40); // 1.725
    const Extended product = times(factor, magnitude(difference));
    return withSign(shiftRounded(product.significand, product.shift), difference < 0);
}

int minimumMeasure(int sensitivity)
{
    const long long s1 = static_cast<long long>(sensitivity) + 1;
    if (s1 <= 0)
        return 1000;
    // The logarithm of an integer is rational only at a power of ten, where it is exact and the
    // bound an integer. Elsewhere it is irrational; where the bound is not limited to -1
    // (sensitivity 1..10) it lies at least 0.05 from an integer, far beyond the error of double,
    // so the rounding up never depends on the precision.
    long long power = 1;
    int exponent = 0;
    while (power < s1) {
        power *= 10;
        ++exponent;
    }
    const double bound = power == s1 ? 450.0 - 430.0 * exponent
                                     : 450.0 - 430.0 * std::log10(static_cast<double>(s1));
    return static_cast<int>(std::clamp(std::ceil(bound), -1.0, 1000.0));
}

} // namespace DetectorMath
