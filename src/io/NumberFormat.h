#pragma once

#include <charconv>
#include <cstddef>
#include <string>

namespace grovewright {

// Exact "%i" and "%.06f" formatting without printf: the exporters format tens of
// millions of numbers, and to_chars gives printf's digits many times faster.

// Room that PutInt and PutFixed6 may need (the largest double has 309 integer digits).
inline constexpr std::size_t kMaxIntChars = 24;
inline constexpr std::size_t kMaxFixed6Chars = 320;

// Writes value at out and returns the end.
inline char* PutInt(char* out, long value) {
    return std::to_chars(out, out + kMaxIntChars, value).ptr;
}

// Fixed point with six decimals as "%.06f" prints it (including "-0.000000",
// "nan" and "inf"); returns the end.
char* PutFixed6(char* out, double value);

inline std::string FormatInt(long value) {
    char buffer[kMaxIntChars];
    return std::string(buffer, PutInt(buffer, value));
}

}  // namespace grovewright
