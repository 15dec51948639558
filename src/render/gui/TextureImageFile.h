#pragma once

#include <string>

#include "render/PixelImage.h"

// Decodes a texture image the user chose, by the name's text, rows from the
// bottom up: ".xpm" as XPM, ".tga" as TGA (RGBA), anything else as BMP. False,
// with one line naming the file and the problem, when it cannot be read.
bool LoadTextureImage(const std::string& path, grovewright::PixelImage& image, std::string& error);
