#include "io/NumberFormat.h"

#include <cmath>
#include <cstdint>

namespace grovewright {

namespace {

// Below this magnitude value * 1e6 stays under 2^52, where the product's
// fraction is exact and its rounding error below half a unit: the fast path is
// exact there. Larger values (and nan, inf) take to_chars.
constexpr double kFastLimit = 4e9;

// value * 1e6 rounded to the nearest integer, ties to even, judged on the exact
// product: p is the rounded product and e the exact rounding error that fma
// recovers, so the decision is the one printf makes on the exact decimal value.
std::int64_t ScaledMicros(double magnitude) {
    const double p = magnitude * 1e6;
    const double e = std::fma(magnitude, 1e6, -p);
    const double whole = std::floor(p);
    const double fraction = p - whole;  // exact: p and whole are close
    auto result = static_cast<std::int64_t>(whole);
    // |e| is at most half an ulp of p, smaller than any non-zero distance
    // between fraction and one half, so e only matters on an exact tie.
    if (fraction > 0.5 || (fraction == 0.5 && (e > 0 || (e == 0 && (result & 1))))) ++result;
    return result;
}

}  // namespace

char* PutFixed6(char* out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < kFastLimit))  // also nan and inf
        return std::to_chars(out, out + kMaxFixed6Chars, value, std::chars_format::fixed, 6).ptr;
    if (std::signbit(value)) *out++ = '-';
    const std::int64_t micros = ScaledMicros(magnitude);
    out = std::to_chars(out, out + kMaxIntChars, micros / 1000000).ptr;
    *out++ = '.';
    std::int64_t fraction = micros % 1000000;
    for (int digit = 5; digit >= 0; --digit) {
        out[digit] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return out + 6;
}

}  // namespace grovewright
