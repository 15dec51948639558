#pragma once

#include <string>
#include <vector>

#include "render/PixelImage.h"

namespace grovewright {

// An XPM image's lines as an .xpm file holds them: the header, the colours,
// the pixel rows. Decoding checks every count against the lines there are, and
// refuses images above maxPixels before taking memory for them.
PixelImage DecodeXpmLines(const std::vector<std::string>& lines, std::size_t maxPixels);
// The string literals of an .xpm file's text, in order (a backslash takes the
// next character as it is); false when the text holds none or an unterminated one.
bool XpmFileLines(const std::string& text, std::vector<std::string>& lines);

// Decodes an XPM image compiled into the program (the C array an .xpm file is)
// into RGB, rows from the bottom up as a texture takes them. Colours may be
// "#" followed by 1 to 4 hex digits per channel, "black", "white" or "None"
// (drawn black). Returns an empty image (0 x 0) when the array is malformed.
PixelImage DecodeXpm(const char* const* xpm);

}  // namespace grovewright
