#pragma once

#include <string_view>

namespace grovewright {

// True when text is well-formed UTF-8: no stray continuation bytes, no overlong
// forms, no surrogates, nothing above U+10FFFF, no truncated sequence at the end.
bool IsValidUtf8(std::string_view text);

}  // namespace grovewright
