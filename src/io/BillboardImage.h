#pragma once

#include <string>

#include "render/PixelImage.h"

namespace grovewright {

// The billboard's file names: ".tga" (".bmp") is appended unless the path
// already contains it anywhere, compared with case (tree.TGA becomes tree.TGA.tga).
std::string BillboardTgaName(const std::string& path);
std::string BillboardBmpName(const std::string& path);
std::string BillboardPngName(const std::string& path);

// The billboard dialog's file types, in the order of its entries.
enum class BillboardFormat { kTga, kBmp, kPng };
// The format a billboard named path is written in when the dialog's chosen entry
// is chosen: a name ending in ".png" (any case) is a PNG whatever the entry, and
// one ending in ".tga" or ".bmp" chosen with the PNG entry is that format; the
// TGA and BMP entries otherwise keep their own format, their name getting their
// extension as above.
BillboardFormat BillboardFormatFor(const std::string& path, BillboardFormat chosen);
// The path with the format's extension as BillboardTgaName etc. give it.
std::string BillboardName(const std::string& path, BillboardFormat format);

// A width x height picture of the RGBA source (rows from the bottom up): output
// pixel (j, i) is source pixel (trunc(W / width * j), trunc(H / height * i)),
// computed in single precision as the billboard has always sampled.
PixelImage SampleNearest(const PixelImage& source, int width, int height);

// An uncompressed 32-bit TGA of the RGBA image: the 18-byte header (origin lower
// left), then blue, green, red, alpha per pixel, rows from the bottom up. Alpha is
// 0 where the pixel is the background's colour exactly (all 0 on black, all 255
// on white) and 255 elsewhere. Sides above 65535 keep their low 16 bits, as the
// header's fields do.
std::string EncodeBillboardTga(const PixelImage& image, bool blackBackground);
// The picture with the billboard's alpha as its fourth channel.
PixelImage WithBillboardAlpha(const PixelImage& image, bool blackBackground);
// The same pixels and alpha as a PNG, stored top row first as PNG files are
// (so every viewer shows it upright). Empty when the encoder fails.
std::string EncodeBillboardPng(const PixelImage& image, bool blackBackground);

// Gives every transparent pixel of the RGBA image (alpha 0) the colour of the
// opaque ones nearest to it, grown outwards ring by ring, the rest the mean of
// them all; alpha stays. A texture filtered or mipmapped across a cut-out edge
// then blends in the tree's colours, not the background's dark fringe.
void BleedIntoTransparent(PixelImage& rgba);
// An impostor's atlas drawn on black as a PNG: the billboard's alpha, the
// colours bled into the transparent pixels.
std::string EncodeImpostorAtlasPng(const PixelImage& atlas);

}  // namespace grovewright
