#pragma once

#include <cstddef>
#include <string>

#include "render/PixelImage.h"

namespace grovewright {

// The most pixels a texture image may have: 64 million, 256 MB as RGBA.
inline constexpr std::size_t kMaxTexturePixels = std::size_t{64} << 20;
// Files above this size are refused before they are read.
inline constexpr std::size_t kMaxTextureFileBytes = std::size_t{256} << 20;

// Reads a texture image the user chose into rows from the bottom up: PNG, JPEG
// and BMP by their content, TGA (uncompressed or run-length) by its name or its
// version 2 footer, XPM by its name or its "XPM" comment. Grey images become RGB, images with alpha keep it, a TGA is
// always RGBA (leaves take their outline from it). The size an image claims is
// checked against the file and the limits before any memory is taken for its
// pixels. False, with one line naming the file and the problem, when it cannot
// be read. fileBytes, when given, receives the file as it was read.
bool ReadTextureImage(const std::string& path, PixelImage& image, std::string& error,
                      std::string* fileBytes = nullptr);

// The whole file at path, a regular file of at most kMaxTextureFileBytes;
// false with one line naming the file and the reason when it cannot be read.
bool ReadImageFileBytes(const std::string& path, std::string& bytes, std::string& error);

}  // namespace grovewright
