// Any bytes as a texture image file: refused with a message or read within
// their size, by the TGA reader and by the reader of every texture format (as a
// file named .tga and as one named otherwise: PNG, JPEG and BMP are read by
// their content whatever the name, a TGA by its name or its footer).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzInput.h"
#include "render/TextureImage.h"
#include "render/TgaImage.h"

namespace {

// A read image has the pixels its size says and stays within the limits; a refusal always says why.
void Check(bool read, const grovewright::PixelImage& image, const std::string& error, int channels) {
    if (read && (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * image.channels ||
                 (channels > 0 && image.channels != channels) || image.channels < 3 || image.channels > 4 ||
                 static_cast<std::size_t>(image.width) * image.height > grovewright::kMaxTexturePixels))
        std::abort();
    if (!read && error.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    grovewright::PixelImage image;
    std::string error;
    const std::string tga = WriteInput(data, size, "tga");
    Check(grovewright::ReadTga(tga, image, error), image, error, 4);
    for (const char* extension : {"tga", "img"}) {
        grovewright::PixelImage any;
        std::string why;
        Check(grovewright::ReadTextureImage(WriteInput(data, size, extension), any, why), any, why, 0);
    }
    return 0;
}
