#pragma once

#include "render/PixelImage.h"

namespace grovewright {

// Decodes an XPM image compiled into the program (the C array an .xpm file is)
// into RGB, rows from the bottom up as a texture takes them. Colours may be
// "#" followed by 1 to 4 hex digits per channel, "black", "white" or "None"
// (drawn black). Returns an empty image (0 x 0) when the array is malformed.
PixelImage DecodeXpm(const char* const* xpm);

}  // namespace grovewright
