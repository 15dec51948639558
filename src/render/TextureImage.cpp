#include "render/TextureImage.h"

#include <fcntl.h>
#include <stb_image.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "render/TgaImage.h"
#include "render/XpmImage.h"

namespace grovewright {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool Fail(std::string& error, const std::string& path, const std::string& what) {
    error = path + ": " + what;
    return false;
}

bool EndsWith(const std::string& path, const char* ending) {
    const std::size_t length = std::char_traits<char>::length(ending);
    return path.size() >= length && strcasecmp(path.c_str() + path.size() - length, ending) == 0;
}

// The whole file, refused above kMaxTextureFileBytes.
bool ReadBytes(const std::string& path, std::string& bytes, std::string& error) {
    // Without blocking: a project may name a pipe, whose opening would wait for a writer.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::unique_ptr<std::FILE, FileCloser> file(descriptor < 0 ? nullptr : fdopen(descriptor, "rb"));
    if (!file) {
        if (descriptor >= 0) close(descriptor);
        return Fail(error, path, "cannot be opened");
    }
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode))
        return Fail(error, path, "is not a regular file");
    if (static_cast<std::size_t>(status.st_size) > kMaxTextureFileBytes)
        return Fail(error, path, "is larger than 256 MB");
    bytes.resize(static_cast<std::size_t>(status.st_size));
    if (!bytes.empty() && std::fread(&bytes[0], 1, bytes.size(), file.get()) != bytes.size())
        return Fail(error, path, "cannot be read");
    return true;
}

bool ReadXpm(const std::string& path, const std::string& text, PixelImage& image, std::string& error) {
    std::vector<std::string> lines;
    PixelImage decoded;
    if (XpmFileLines(text, lines)) decoded = DecodeXpmLines(lines, kMaxTexturePixels);
    if (decoded.width == 0) return Fail(error, path, "is not a complete XPM image of at most 64 million pixels");
    image = std::move(decoded);
    return true;
}

// The size a PNG's header claims: stb_image reports none for a PNG beyond its
// own limits, and the refusal should say how large the file claims to be.
bool PngSize(const std::string& bytes, int& width, int& height) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0) return false;
    auto at = [&](std::size_t i) {
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < 4; ++k) value = value << 8 | static_cast<std::uint8_t>(bytes[i + k]);
        return value > 0x7fffffffu ? 0x7fffffff : static_cast<int>(value);
    };
    width = at(16), height = at(20);
    return true;
}

// PNG, JPEG, BMP and run-length TGA through stb_image, after its header's size is checked.
bool ReadDecoded(const std::string& path, const std::string& bytes, bool tga, PixelImage& image,
                 std::string& error) {
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    // At most kMaxTextureFileBytes: an int holds it.
    const int size = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &channels) && !PngSize(bytes, width, height))
        return Fail(error, path, "is not a PNG, JPEG, BMP, TGA or XPM image, or one too large to read");
    // A BMP stored top row first says so with a negative height.
    height = height < 0 ? -height : height;
    if (width <= 0 || height == 0) return Fail(error, path, "has no pixels");
    if (width > kMaxTgaSide || height > kMaxTgaSide ||
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kMaxTexturePixels)
        return Fail(error, path,
                    "claims " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels, more than a texture may have (16384 on a side, 64 million in all)");
    // Grey becomes RGB, grey and alpha RGBA; a TGA is always RGBA.
    const int wanted = tga ? 4 : channels <= 1 ? 3 : channels == 2 ? 4 : channels;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data, size, &width, &height, &channels, wanted), stbi_image_free);
    if (!pixels) return Fail(error, path, std::string("cannot be decoded (") + stbi_failure_reason() + ")");
    PixelImage decoded(width, height, wanted);
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(wanted);
    for (int y = 0; y < height; ++y)
        std::copy(pixels.get() + static_cast<std::size_t>(y) * row, pixels.get() + static_cast<std::size_t>(y + 1) * row,
                  decoded.pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(height - 1 - y) * row));
    image = std::move(decoded);
    return true;
}

}  // namespace

bool ReadTextureImage(const std::string& path, PixelImage& image, std::string& error, std::string* fileBytes) {
    std::string bytes;
    if (!ReadBytes(path, bytes, error)) return false;
    if (fileBytes) *fileBytes = bytes;
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (EndsWith(path, ".xpm") || (start != std::string::npos && bytes.compare(start, 9, "/* XPM */") == 0))
        return ReadXpm(path, bytes, image, error);
    const bool tga = EndsWith(path, ".tga");
    // An uncompressed true-colour TGA keeps its own reader; run-length ones go to stb_image.
    if (tga && bytes.size() >= 3 && bytes[2] == 2) return ReadTga(path, image, error);
    return ReadDecoded(path, bytes, tga, image, error);
}

}  // namespace grovewright
