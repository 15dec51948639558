#pragma once

#include <algorithm>
#include <cstddef>

namespace grovewright {

// Counts of what a design grows stop here instead of wrapping around past
// 2^64: far beyond what any machine holds, and low enough that the sizes made
// from a count (triangles, vertices, bytes) stay within 64 bits.
constexpr std::size_t kCountCeiling = std::size_t{1} << 36;

// a + b and a * b of counts, at most kCountCeiling.
inline std::size_t CountSum(std::size_t a, std::size_t b) {
    return a >= kCountCeiling || b >= kCountCeiling ? kCountCeiling : std::min(a + b, kCountCeiling);
}

inline std::size_t CountProduct(std::size_t a, std::size_t b) {
    if (a == 0 || b == 0) return 0;
    return a > kCountCeiling / b ? kCountCeiling : std::min(a * b, kCountCeiling);
}

}  // namespace grovewright
