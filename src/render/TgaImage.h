#pragma once

#include <string>

#include "render/PixelImage.h"

namespace grovewright {

// Sides above this are refused: a damaged header must not ask for gigabytes.
inline constexpr int kMaxTgaSide = 16384;

// Reads an uncompressed true-colour TGA (type 2, 24 or 32 bits per pixel) into an
// RGBA image, rows from the bottom up (24-bit pixels get alpha 255). The image-ID
// field is skipped and a top-left origin is flipped. Colour-mapped, compressed,
// truncated or oversized files are refused: false, with error naming the file and
// the problem.
bool ReadTga(const std::string& path, PixelImage& image, std::string& error);

}  // namespace grovewright
