#include "render/TgaImage.h"

#include <cstdio>
#include <memory>

namespace grovewright {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool Fail(std::string& error, const std::string& path, const char* what) {
    error = path + ": " + what;
    return false;
}

}  // namespace

bool ReadTga(const std::string& path, PixelImage& image, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return Fail(error, path, "cannot be opened");
    unsigned char header[18];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        return Fail(error, path, "is too short for a TGA file");
    const int idLength = header[0];
    const int colourMapType = header[1];
    const int imageType = header[2];
    const int width = header[12] | (header[13] << 8);
    const int height = header[14] | (header[15] << 8);
    const int bits = header[16];
    const bool topOrigin = (header[17] & 0x20) != 0;
    if (colourMapType != 0) return Fail(error, path, "is a colour-mapped TGA; only true-colour images are read");
    if (imageType != 2) return Fail(error, path, "is not an uncompressed true-colour TGA");
    if (width == 0 || height == 0) return Fail(error, path, "has no pixels");
    if (width > kMaxTgaSide || height > kMaxTgaSide) return Fail(error, path, "is larger than 16384 pixels on a side");
    if (bits != 24 && bits != 32) return Fail(error, path, "has neither 24 nor 32 bits per pixel");
    if (idLength > 0 && std::fseek(file.get(), idLength, SEEK_CUR) != 0)
        return Fail(error, path, "is truncated");

    const int bytesPerPixel = bits / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    // The pixels the header promises must be in the file before memory is
    // taken for them: an 18-byte header can claim a gigabyte.
    const long pixelsAt = std::ftell(file.get());
    if (pixelsAt < 0 || std::fseek(file.get(), 0, SEEK_END) != 0) return Fail(error, path, "cannot be read");
    const long fileSize = std::ftell(file.get());
    if (fileSize < pixelsAt || static_cast<std::size_t>(fileSize - pixelsAt) < rowBytes * height)
        return Fail(error, path, "is truncated: it holds fewer pixels than its header says");
    if (std::fseek(file.get(), pixelsAt, SEEK_SET) != 0) return Fail(error, path, "cannot be read");
    std::vector<unsigned char> data(rowBytes * height);
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size())
        return Fail(error, path, "is truncated: it holds fewer pixels than its header says");

    PixelImage result(width, height, 4);
    for (int row = 0; row < height; ++row) {
        const unsigned char* source = &data[rowBytes * row];
        // Rows are stored bottom up unless the origin bit says top down.
        std::uint8_t* target = result.At(topOrigin ? height - 1 - row : row, 0);
        for (int column = 0; column < width; ++column, source += bytesPerPixel, target += 4) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = bytesPerPixel == 4 ? source[3] : 255;
        }
    }
    image = std::move(result);
    return true;
}

}  // namespace grovewright
