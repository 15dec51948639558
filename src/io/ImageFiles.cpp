#include "io/ImageFiles.h"

#include <stb_image_write.h>

#include <algorithm>

#include "io/TGFileWriter.h"

namespace grovewright {

namespace {

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::string EncodePng(const PixelImage& image) {
    std::string bytes;
    stbi_flip_vertically_on_write(1);  // our rows go bottom up
    stbi_write_png_to_func(AppendBytes, &bytes, image.width, image.height, image.channels, image.pixels.data(), 0);
    return bytes;
}

std::string EncodeBmp(const PixelImage& image) {
    const PixelImage colours = WithoutAlpha(image);
    std::string bytes;
    stbi_flip_vertically_on_write(1);  // our rows go bottom up
    stbi_write_bmp_to_func(AppendBytes, &bytes, colours.width, colours.height, 3, colours.pixels.data());
    return bytes;
}

PixelImage WithoutAlpha(const PixelImage& image) {
    PixelImage colours(image.width, image.height, 3);
    for (std::size_t from = 0, to = 0; from < image.pixels.size(); from += image.channels, to += 3)
        std::copy(&image.pixels[from], &image.pixels[from] + 3, &colours.pixels[to]);
    return colours;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& error) {
    TGFileWriter writer("");
    writer.SetFileName(path);
    if (writer.Open()) {
        writer.Write(bytes);
        if (writer.Close()) return true;
    }
    error = writer.LastError().empty() ? path + ": cannot be written" : writer.LastError();
    return false;
}

}  // namespace grovewright
