#include "render/XpmImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <map>
#include <string>
#include <vector>

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

PixelImage DecodeXpmLines(const std::vector<std::string>& lines, std::size_t maxPixels) {
    int width = 0, height = 0, colours = 0, perPixel = 0;
    if (lines.empty() ||
        std::sscanf(lines[0].c_str(), "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 || width <= 0 ||
        height <= 0 || colours <= 0 || perPixel < 1 || perPixel > 2)
        return {};
    // Every line the header promises must be there, and the picture within bounds.
    if (lines.size() < 1 + static_cast<std::size_t>(colours) + static_cast<std::size_t>(height) ||
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > maxPixels)
        return {};
    std::map<std::string, std::array<std::uint8_t, 3>> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
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
        const std::string& text = lines[static_cast<std::size_t>(1 + colours + row)];
        if (text.size() < static_cast<std::size_t>(width) * perPixel) return {};
        for (int column = 0; column < width; ++column) {
            const auto entry = palette.find(text.substr(static_cast<std::size_t>(column) * perPixel, perPixel));
            if (entry == palette.end()) return {};
            std::copy(entry->second.begin(), entry->second.end(), image.At(height - 1 - row, column));
        }
    }
    return image;
}

PixelImage DecodeXpm(const char* const* xpm) {
    // A compiled array holds the lines its header promises.
    int width = 0, height = 0, colours = 0, perPixel = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 || height <= 0 || colours <= 0)
        return {};
    const std::vector<std::string> lines(xpm, xpm + 1 + colours + height);
    return DecodeXpmLines(lines, static_cast<std::size_t>(-1));
}

bool XpmFileLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    for (std::size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 1)) {
        std::string line;
        for (++at;; ++at) {
            if (at >= text.size()) return false;
            if (text[at] == '"') break;
            if (text[at] == '\\' && at + 1 < text.size()) ++at;
            line += text[at];
        }
        lines.push_back(std::move(line));
    }
    return !lines.empty();
}

}  // namespace grovewright
