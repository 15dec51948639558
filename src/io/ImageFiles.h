#pragma once

#include <string>
#include <string_view>

#include "render/PixelImage.h"

namespace grovewright {

// The image (rows from the bottom up, its own channels) as a PNG file's bytes, top row first.
std::string EncodePng(const PixelImage& image);
// The same picture encoded for speed rather than size: rows filtered by their
// left neighbours and compressed as runs only, bands of rows on several
// processors (large pictures encode several times faster; the file is somewhat
// larger), its colours only when dropAlpha. Empty when the encoder fails (out of memory).
std::string EncodePngFast(const PixelImage& image, bool dropAlpha = false);
// The image's colours (alpha dropped) as a 24-bit BMP file's bytes.
std::string EncodeBmp(const PixelImage& image);
// The colours of an RGB or RGBA image, as RGB.
PixelImage WithoutAlpha(const PixelImage& image);

// Writes the bytes to path through a temporary file renamed into place, so that
// a failure leaves the previous file as it was. False, with one line naming the
// file and the problem, when anything fails.
bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace grovewright
