#include "io/ImageFiles.h"

#include <png.h>
#include <stb_image_write.h>

#include <algorithm>
#include <csetjmp>
#include <new>
#include <zlib.h>

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

std::string EncodePngFast(const PixelImage& image, bool dropAlpha) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    // libpng reports its failures by a long jump back here.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp to, png_bytep data, png_size_t size) {
            // No exception may pass through libpng's frames: a failure goes back by its jump.
            try {
                static_cast<std::string*>(png_get_io_ptr(to))->append(reinterpret_cast<const char*>(data), size);
            } catch (const std::bad_alloc&) {
                png_error(to, "out of memory");
            }
        },
        nullptr);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    const bool alpha = image.channels == 4 && !dropAlpha;
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    if (image.channels == 4 && !alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // the rows' fourth bytes are skipped
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * image.channels;
    for (int y = image.height - 1; y >= 0; --y)  // our rows go bottom up
        png_write_row(png, image.pixels.data() + static_cast<std::size_t>(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
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
