#pragma once

#include <string>

#include "render/PixelImage.h"

namespace grovewright {

// Decoders of a whole image file's bytes into rows from the bottom up. Each
// checks the size the header claims against CheckImageSize before it takes
// memory for the pixels, and reads only within the bytes it is given. On
// failure each returns false with why, a phrase to follow the file's name
// ("is not a complete JPEG image (...)"), and leaves image untouched.

// PNG through libpng: RGB, or RGBA when the file has alpha or a transparent colour.
bool DecodePng(const std::string& bytes, PixelImage& image, std::string& why);
// JPEG through libjpeg-turbo: RGB (grey and CMYK files converted). A file that
// ends before its last pixel is refused.
bool DecodeJpeg(const std::string& bytes, PixelImage& image, std::string& why);
// Windows and OS/2 bitmaps: 1, 4 and 8 bits with a palette, 16, 24 and 32 bits
// (plain or with bit masks); RGB, or RGBA when a 32-bit file has alpha.
// Run-length compressed bitmaps are refused.
bool DecodeBmp(const std::string& bytes, PixelImage& image, std::string& why);
// TGA: true-colour (15, 16, 24, 32 bits), grey and colour-mapped, plain or
// run-length, either origin; always RGBA (alpha 255 where the file has none).
bool DecodeTga(const std::string& bytes, PixelImage& image, std::string& why);
// Whether the bytes end with the footer of a version 2 TGA file.
bool HasTgaFooter(const std::string& bytes);

// False with why when a texture may not have this many pixels (no pixels, more
// than 16,384 on a side or 64 million in all).
bool CheckImageSize(long long width, long long height, std::string& why);

}  // namespace grovewright
