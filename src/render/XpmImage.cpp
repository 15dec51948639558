#include "render/XpmImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <map>
#include <string>

namespace grovewright {

namespace {

// "#RRGGBB", "#RRRRGGGGBBBB" and the like: the top 8 bits of each channel.
bool ParseColour(const std::string& name, std::uint8_t rgb[3]) {
    if (name == "black" || name == "None") {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return true;
    }
    if (name == "white") {
        rgb[0] = rgb[1] = rgb[2] = 255;
        return true;
    }
    const std::size_t digits = name.size() - 1;
    if (name[0] != '#' || digits % 3 != 0 || digits == 0 || digits > 12) return false;
    const std::size_t perChannel = digits / 3;
    for (int c = 0; c < 3; ++c) {
        const std::string hex = name.substr(1 + c * perChannel, perChannel);
        char* end = nullptr;
        const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
        if (*end != '\0') return false;
        rgb[c] = static_cast<std::uint8_t>(perChannel == 1 ? value * 17 : value >> (4 * (perChannel - 2)));
    }
    return true;
}

}  // namespace

PixelImage DecodeXpm(const char* const* xpm) {
    int width = 0, height = 0, colours = 0, perPixel = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 || width <= 0 ||
        height <= 0 || colours <= 0 || perPixel < 1 || perPixel > 2)
        return {};
    std::map<std::string, std::array<std::uint8_t, 3>> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string line = xpm[i];
        const auto key = line.find(" c ", static_cast<std::size_t>(perPixel));
        if (line.size() < static_cast<std::size_t>(perPixel) || key == std::string::npos) return {};
        std::string name = line.substr(key + 3);
        name.erase(name.find_last_not_of(' ') + 1);
        std::array<std::uint8_t, 3> rgb{};
        if (!ParseColour(name, rgb.data())) return {};
        palette[line.substr(0, perPixel)] = rgb;
    }
    PixelImage image(width, height, 3);
    for (int row = 0; row < height; ++row) {
        const char* text = xpm[1 + colours + row];
        if (std::strlen(text) < static_cast<std::size_t>(width) * perPixel) return {};
        for (int column = 0; column < width; ++column) {
            const auto entry = palette.find(std::string(text + column * perPixel, perPixel));
            if (entry == palette.end()) return {};
            std::copy(entry->second.begin(), entry->second.end(), image.At(height - 1 - row, column));
        }
    }
    return image;
}

}  // namespace grovewright
