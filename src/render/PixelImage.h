#pragma once

#include <cstdint>
#include <vector>

namespace grovewright {

// An 8-bit image as a texture takes it: rows from the bottom up, 3 (RGB) or
// 4 (RGBA) bytes per pixel.
struct PixelImage {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;

    PixelImage() = default;
    PixelImage(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<std::size_t>(w) * h * c) {}

    std::uint8_t* At(int row, int column) {
        return &pixels[(static_cast<std::size_t>(row) * width + column) * channels];
    }
    const std::uint8_t* At(int row, int column) const {
        return &pixels[(static_cast<std::size_t>(row) * width + column) * channels];
    }
    // Some pixel is not fully opaque: without one, leaves drawn with it are squares.
    bool HasTransparency() const {
        if (channels != 4) return false;
        for (std::size_t at = 3; at < pixels.size(); at += 4)
            if (pixels[at] != 255) return true;
        return false;
    }
};

}  // namespace grovewright
