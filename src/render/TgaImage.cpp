#include "render/TgaImage.h"

#include "render/ImageDecoders.h"
#include "render/TextureImage.h"

namespace grovewright {

namespace {

bool Fail(std::string& error, const std::string& path, const std::string& what) {
    error = path + ": " + what;
    return false;
}

}  // namespace

bool ReadTga(const std::string& path, PixelImage& image, std::string& error) {
    std::string bytes;
    if (!ReadImageFileBytes(path, bytes, error)) return false;
    if (bytes.size() < 18) return Fail(error, path, "is too short for a TGA file");
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const int width = byte(12) | (byte(13) << 8);
    const int height = byte(14) | (byte(15) << 8);
    const int bits = byte(16);
    if (byte(1) != 0) return Fail(error, path, "is a colour-mapped TGA; only true-colour images are read");
    if (byte(2) != 2) return Fail(error, path, "is not an uncompressed true-colour TGA");
    if (width == 0 || height == 0) return Fail(error, path, "has no pixels");
    if (width > kMaxTgaSide || height > kMaxTgaSide) return Fail(error, path, "is larger than 16384 pixels on a side");
    if (bits != 24 && bits != 32) return Fail(error, path, "has neither 24 nor 32 bits per pixel");
    std::string why;
    if (!DecodeTga(bytes, image, why)) return Fail(error, path, why);
    return true;
}

}  // namespace grovewright
