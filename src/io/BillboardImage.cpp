#include "io/BillboardImage.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "io/ImageFiles.h"

namespace grovewright {

namespace {

std::string WithSuffix(const std::string& path, const char* suffix) {
    return path.find(suffix) == std::string::npos ? path + suffix : path;
}

}  // namespace

std::string BillboardTgaName(const std::string& path) { return WithSuffix(path, ".tga"); }

std::string BillboardBmpName(const std::string& path) { return WithSuffix(path, ".bmp"); }

std::string BillboardPngName(const std::string& path) { return WithSuffix(path, ".png"); }

BillboardFormat BillboardFormatFor(const std::string& path, BillboardFormat chosen) {
    const auto slash = path.find_last_of('/'), dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return chosen;
    const char* extension = path.c_str() + dot + 1;
    if (strcasecmp(extension, "png") == 0) return BillboardFormat::kPng;
    if (chosen != BillboardFormat::kPng) return chosen;
    if (strcasecmp(extension, "tga") == 0) return BillboardFormat::kTga;
    if (strcasecmp(extension, "bmp") == 0) return BillboardFormat::kBmp;
    return chosen;
}

std::string BillboardName(const std::string& path, BillboardFormat format) {
    return format == BillboardFormat::kTga   ? BillboardTgaName(path)
           : format == BillboardFormat::kPng ? BillboardPngName(path)
                                             : BillboardBmpName(path);
}

PixelImage SampleNearest(const PixelImage& source, int width, int height) {
    PixelImage sampled(width, height, source.channels);
    const float columnStep = static_cast<float>(source.width) / static_cast<float>(width);
    const float rowStep = static_cast<float>(source.height) / static_cast<float>(height);
    for (int i = 0; i < height; ++i) {
        const int row = static_cast<int>(rowStep * static_cast<float>(i));
        for (int j = 0; j < width; ++j) {
            const int column = static_cast<int>(columnStep * static_cast<float>(j));
            const std::uint8_t* from = source.At(row, column);
            std::copy(from, from + source.channels, sampled.At(i, j));
        }
    }
    return sampled;
}

namespace {

// The billboard's alpha: transparent where the pixel is the background's colour exactly.
std::uint8_t BillboardAlpha(const std::uint8_t* p, std::uint8_t background) {
    return p[0] == background && p[1] == background && p[2] == background ? 0 : 255;
}

}  // namespace

std::string EncodeBillboardTga(const PixelImage& image, bool blackBackground) {
    std::string bytes(18 + image.pixels.size() / image.channels * 4, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(image.width & 0xFF);
    bytes[13] = static_cast<char>((image.width >> 8) & 0xFF);
    bytes[14] = static_cast<char>(image.height & 0xFF);
    bytes[15] = static_cast<char>((image.height >> 8) & 0xFF);
    bytes[16] = 32;
    const std::uint8_t background = blackBackground ? 0 : 255;
    char* out = &bytes[18];
    for (std::size_t at = 0; at < image.pixels.size(); at += image.channels, out += 4) {
        const std::uint8_t* p = &image.pixels[at];
        out[0] = static_cast<char>(p[2]);
        out[1] = static_cast<char>(p[1]);
        out[2] = static_cast<char>(p[0]);
        out[3] = static_cast<char>(BillboardAlpha(p, background));
    }
    return bytes;
}

PixelImage WithBillboardAlpha(const PixelImage& image, bool blackBackground) {
    PixelImage rgba(image.width, image.height, 4);
    const std::uint8_t background = blackBackground ? 0 : 255;
    std::uint8_t* out = rgba.pixels.data();
    for (std::size_t at = 0; at < image.pixels.size(); at += image.channels, out += 4) {
        const std::uint8_t* p = &image.pixels[at];
        out[0] = p[0], out[1] = p[1], out[2] = p[2];
        out[3] = BillboardAlpha(p, background);
    }
    return rgba;
}

std::string EncodeBillboardPng(const PixelImage& image, bool blackBackground) {
    return EncodePngFast(WithBillboardAlpha(image, blackBackground));
}

void BleedIntoTransparent(PixelImage& rgba) {
    const int width = rgba.width, height = rgba.height;
    std::vector<std::uint8_t> known(static_cast<std::size_t>(width) * height);
    std::uint64_t sum[3] = {0, 0, 0}, opaque = 0;
    for (std::size_t i = 0; i < known.size(); ++i) {
        const std::uint8_t* p = &rgba.pixels[4 * i];
        if (p[3] == 0) continue;
        known[i] = 1;
        for (int c = 0; c < 3; ++c) sum[c] += p[c];
        ++opaque;
    }
    // A ring a pass: far enough for every mipmap level a cell of the atlas has.
    // A pixel of the ring being made is marked 2, so that a ring reads only the
    // ones before it; it counts as known (1) once the ring is whole.
    constexpr int kRings = 16;
    for (int pass = 0; pass < kRings; ++pass) {
        bool grown = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width + x;
                if (known[i]) continue;
                unsigned total[3] = {0, 0, 0}, count = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                        const std::size_t n = static_cast<std::size_t>(ny) * width + nx;
                        if (known[n] != 1) continue;
                        for (int c = 0; c < 3; ++c) total[c] += rgba.pixels[4 * n + c];
                        ++count;
                    }
                }
                if (count == 0) continue;
                for (int c = 0; c < 3; ++c) rgba.pixels[4 * i + c] = static_cast<std::uint8_t>(total[c] / count);
                known[i] = 2;
                grown = true;
            }
        }
        if (!grown) break;
        for (std::uint8_t& mark : known) mark = mark != 0;
    }
    for (std::size_t i = 0; i < known.size(); ++i)
        if (!known[i] && opaque > 0)
            for (int c = 0; c < 3; ++c) rgba.pixels[4 * i + c] = static_cast<std::uint8_t>(sum[c] / opaque);
}

std::string EncodeImpostorAtlasPng(const PixelImage& atlas) {
    PixelImage rgba = WithBillboardAlpha(atlas, true);
    BleedIntoTransparent(rgba);
    return EncodePngFast(rgba);
}

}  // namespace grovewright
