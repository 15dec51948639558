// Any bytes as a TGA file: refused with a message or read within their size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzInput.h"
#include "render/TgaImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    grovewright::PixelImage image;
    std::string error;
    const bool read = grovewright::ReadTga(WriteInput(data, size, "tga"), image, error);
    // A read image has the pixels its size says; a refusal always says why.
    if (read && image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) std::abort();
    if (!read && error.empty()) std::abort();
    return 0;
}
