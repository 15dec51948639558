#include "render/ImageDecoders.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// libjpeg's headers expect FILE and size_t declared before them.
#include <jerror.h>
#include <jpeglib.h>

#include "render/TextureImage.h"
#include "render/TgaImage.h"

namespace grovewright {

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k) value = value << 8 | static_cast<std::uint8_t>(bytes[at + k]);
    return value;
}

std::uint32_t Big32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) value = value << 8 | static_cast<std::uint8_t>(bytes[at + k]);
    return value;
}

bool Refuse(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

// ---- JPEG ----

// More scans than any real progressive file has: a hostile file of endless
// scans would keep the decoder busy for minutes.
constexpr int kMaxJpegScans = 1000;

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

void JpegFail(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings are let pass, but for a file that ends before its last pixel: the
// decoder would fill the rest with grey.
void JpegMessage(j_common_ptr info, int level) {
    if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) JpegFail(info);
}

void JpegProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) {
        info->err->msg_code = JERR_BAD_PROGRESSION;
        std::snprintf(reinterpret_cast<JpegErrors*>(info->err)->message, JMSG_LENGTH_MAX,
                      "more than %d scans", kMaxJpegScans);
        std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
    }
}

// ---- BMP ----

// A channel of a bit-mask pixel as 0..255.
struct Mask {
    std::uint32_t mask = 0;
    int shift = 0, bits = 0;

    explicit Mask(std::uint32_t m = 0) : mask(m) {
        if (mask == 0) return;
        while (!(mask >> shift & 1)) ++shift;
        while (bits < 32 - shift && (mask >> (shift + bits) & 1)) ++bits;
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        if (mask == 0) return 255;
        const std::uint32_t value = (pixel & mask) >> shift;
        const std::uint32_t top = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value * 255 / top);
    }
};

}  // namespace

bool CheckImageSize(long long width, long long height, std::string& why) {
    if (width <= 0 || height <= 0) return Refuse(why, "has no pixels");
    if (width > kMaxTgaSide || height > kMaxTgaSide ||
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) > kMaxTexturePixels)
        return Refuse(why, "claims " + std::to_string(width) + " x " + std::to_string(height) +
                               " pixels, more than a texture may have (16384 on a side, 64 million in all)");
    return true;
}

bool DecodePng(const std::string& bytes, PixelImage& image, std::string& why) {
    // The size is checked from the header itself: libpng would first refuse a
    // damaged header, and the refusal should say how large the file claims to be.
    if (bytes.size() >= 24 && !CheckImageSize(Big32(bytes, 16), Big32(bytes, 20), why)) return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return Refuse(why, std::string("is not a complete PNG image (") + png.message + ")");
    if (!CheckImageSize(png.width, png.height, why)) {
        png_image_free(&png);
        return false;
    }
    const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    PixelImage decoded(static_cast<int>(png.width), static_cast<int>(png.height), alpha ? 4 : 3);
    // A negative stride: the file's top row goes last, so the rows run bottom up.
    const png_int_32 stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(png));
    if (!png_image_finish_read(&png, nullptr, decoded.pixels.data(), stride, nullptr))
        return Refuse(why, std::string("is not a complete PNG image (") + png.message + ")");
    image = std::move(decoded);
    return true;
}

bool DecodeJpeg(const std::string& bytes, PixelImage& image, std::string& why) {
    // Everything that lives across the jump is made before it.
    jpeg_decompress_struct info{};
    JpegErrors errors;
    jpeg_progress_mgr progress{};
    PixelImage decoded;
    std::vector<JSAMPLE> row;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFail;
    errors.manager.emit_message = JpegMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return Refuse(why, std::string("is not a complete JPEG image (") + errors.message + ")");
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = JpegProgress;
    info.progress = &progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!CheckImageSize(info.image_width, info.image_height, why)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
    decoded = PixelImage(width, height, 3);
    row.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        std::uint8_t* to = decoded.At(height - 1 - y, 0);
        if (!cmyk) {
            std::copy(row.begin(), row.begin() + 3 * width, to);
            continue;
        }
        // Adobe's CMYK files store the inks inverted: each channel times K.
        for (int x = 0; x < width; ++x, to += 3) {
            const JSAMPLE* p = &row[4 * static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c) to[c] = static_cast<std::uint8_t>(p[c] * p[3] / 255);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    image = std::move(decoded);
    return true;
}

bool DecodeBmp(const std::string& bytes, PixelImage& image, std::string& why) {
    const std::string broken = "is not a complete BMP image";
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) return Refuse(why, broken + " (no BMP header)");
    const std::uint32_t pixelsAt = Little(bytes, 10, 4), headerSize = Little(bytes, 14, 4);
    if (headerSize != 12 && (headerSize < 40 || headerSize > 4096) )
        return Refuse(why, broken + " (unknown header of " + std::to_string(headerSize) + " bytes)");
    if (14 + static_cast<std::size_t>(headerSize) > bytes.size()) return Refuse(why, broken + " (truncated header)");
    long long width, height;
    int bits;
    std::uint32_t compression = 0, colours = 0;
    if (headerSize == 12) {  // OS/2
        width = Little(bytes, 18, 2), height = Little(bytes, 20, 2), bits = static_cast<int>(Little(bytes, 24, 2));
    } else {
        width = static_cast<std::int32_t>(Little(bytes, 18, 4));
        height = static_cast<std::int32_t>(Little(bytes, 22, 4));
        bits = static_cast<int>(Little(bytes, 28, 2));
        compression = Little(bytes, 30, 4);
        colours = Little(bytes, 46, 4);
    }
    // A bitmap stored top row first says so with a negative height.
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (!CheckImageSize(width, height, why)) return false;
    if (compression == 1 || compression == 2)
        return Refuse(why, "is a run-length compressed BMP image, which is not read; save it uncompressed");
    if (compression != 0 && compression != 3 && compression != 6)
        return Refuse(why, broken + " (unknown compression " + std::to_string(compression) + ")");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Refuse(why, broken + " (" + std::to_string(bits) + " bits per pixel)");

    // Bit masks: after a 40-byte header with their own 12 or 16 bytes, inside longer ones.
    Mask red(0xFF0000), green(0xFF00), blue(0xFF), alpha(bits == 32 ? 0xFF000000u : 0);
    if (bits == 16) red = Mask(0x7C00), green = Mask(0x3E0), blue = Mask(0x1F), alpha = Mask(0);
    if (compression == 3 || compression == 6) {
        if (bits != 16 && bits != 32) return Refuse(why, broken + " (bit masks on " + std::to_string(bits) + " bits)");
        const std::size_t masks = 14 + 40;
        if (masks + (compression == 6 || headerSize >= 56 ? 16 : 12) > bytes.size())
            return Refuse(why, broken + " (truncated bit masks)");
        red = Mask(Little(bytes, masks, 4)), green = Mask(Little(bytes, masks + 4, 4)),
        blue = Mask(Little(bytes, masks + 8, 4));
        alpha = Mask(compression == 6 || headerSize >= 56 ? Little(bytes, masks + 12, 4) : 0);
    }
    // The palette follows the header: 3 bytes an entry for OS/2, else 4.
    std::vector<std::uint8_t> palette;
    if (bits <= 8) {
        const std::size_t entries = colours == 0 || colours > (1u << bits) ? (1u << bits) : colours;
        const std::size_t entrySize = headerSize == 12 ? 3 : 4;
        const std::size_t at = 14 + headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
        if (at + entries * entrySize > bytes.size()) return Refuse(why, broken + " (truncated palette)");
        palette.resize(entries * 3);
        for (std::size_t e = 0; e < entries; ++e)
            for (int c = 0; c < 3; ++c) palette[3 * e + c] = static_cast<std::uint8_t>(bytes[at + e * entrySize + 2 - c]);
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (pixelsAt > bytes.size() || (bytes.size() - pixelsAt) / stride < static_cast<std::size_t>(height))
        return Refuse(why, "is truncated: it holds fewer pixels than its header says");

    const bool withAlpha = alpha.mask != 0;
    PixelImage decoded(static_cast<int>(width), static_cast<int>(height), withAlpha ? 4 : 3);
    bool anyAlpha = false;
    for (long long y = 0; y < height; ++y) {
        const std::size_t rowAt = pixelsAt + static_cast<std::size_t>(y) * stride;
        std::uint8_t* to = decoded.At(static_cast<int>(topDown ? height - 1 - y : y), 0);
        for (long long x = 0; x < width; ++x, to += decoded.channels) {
            if (bits <= 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned byte = static_cast<std::uint8_t>(bytes[rowAt + bit / 8]);
                std::size_t index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (3 * index >= palette.size()) index = 0;  // an index past a short palette
                std::copy(&palette[3 * index], &palette[3 * index] + 3, to);
                continue;
            }
            const std::size_t at = rowAt + static_cast<std::size_t>(x) * (bits / 8);
            if (bits == 24) {
                to[0] = static_cast<std::uint8_t>(bytes[at + 2]), to[1] = static_cast<std::uint8_t>(bytes[at + 1]);
                to[2] = static_cast<std::uint8_t>(bytes[at]);
                continue;
            }
            const std::uint32_t pixel = Little(bytes, at, bits / 8);
            to[0] = red.Of(pixel), to[1] = green.Of(pixel), to[2] = blue.Of(pixel);
            if (withAlpha) anyAlpha |= (to[3] = alpha.Of(pixel)) != 0;
        }
    }
    // Many writers leave the fourth byte at zero: such a file has no alpha.
    if (withAlpha && !anyAlpha)
        for (std::size_t at = 3; at < decoded.pixels.size(); at += 4) decoded.pixels[at] = 255;
    image = std::move(decoded);
    return true;
}

bool HasTgaFooter(const std::string& bytes) {
    static const char kSignature[] = "TRUEVISION-XFILE.";
    return bytes.size() >= 18 + 26 && bytes.compare(bytes.size() - 18, 18, kSignature, 18) == 0;
}

bool DecodeTga(const std::string& bytes, PixelImage& image, std::string& why) {
    if (bytes.size() < 18) return Refuse(why, "is too short for a TGA file");
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); };
    const int idLength = byte(0), mapType = byte(1), type = byte(2);
    const std::size_t mapFirst = Little(bytes, 3, 2), mapLength = Little(bytes, 5, 2);
    const int mapBits = byte(7), bits = byte(16), descriptor = byte(17);
    const long long width = Little(bytes, 12, 2), height = Little(bytes, 14, 2);
    const bool runLength = type >= 9, mapped = type == 1 || type == 9, grey = type == 3 || type == 11;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        return Refuse(why, "is not a TGA image of a known type (" + std::to_string(type) + ")");
    const bool goodBits = mapped || grey ? bits == 8 : bits == 15 || bits == 16 || bits == 24 || bits == 32;
    if (!goodBits) return Refuse(why, "is a TGA image of " + std::to_string(bits) + " bits per pixel, which is not read");
    if (mapped && (mapType != 1 || (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)))
        return Refuse(why, "is a colour-mapped TGA image without a colour map it can use");

    // A colour (15, 16, 24 or 32 bits, little end first, BGR) as RGBA.
    const auto colour = [&](std::size_t at, int size, std::uint8_t* to) {
        if (size <= 16) {
            const unsigned v = byte(at) | byte(at + 1) << 8;
            to[0] = static_cast<std::uint8_t>((v >> 10 & 31) * 255 / 31);
            to[1] = static_cast<std::uint8_t>((v >> 5 & 31) * 255 / 31);
            to[2] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
            to[3] = 255;
        } else {
            to[0] = byte(at + 2), to[1] = byte(at + 1), to[2] = byte(at);
            to[3] = size == 32 ? byte(at + 3) : 255;
        }
    };
    std::size_t at = 18 + static_cast<std::size_t>(idLength);
    // The colour map, present whatever the type when its type says so.
    std::vector<std::uint8_t> map;
    if (mapType == 1) {
        const std::size_t entrySize = (static_cast<std::size_t>(mapBits) + 7) / 8;
        if (at + mapLength * entrySize > bytes.size()) return Refuse(why, "is truncated: its colour map is cut short");
        if (mapped) {
            map.resize(4 * mapLength);
            for (std::size_t e = 0; e < mapLength; ++e) colour(at + e * entrySize, mapBits, &map[4 * e]);
        }
        at += mapLength * entrySize;
    }
    const std::size_t pixelSize = (static_cast<std::size_t>(bits) + 7) / 8;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The pixels the header promises must be in the file before memory is taken
    // for them: a plain file holds all of them, a run-length one at least one
    // packet of 128 per 128 pixels.
    const std::size_t least = runLength ? (count + 127) / 128 * (1 + pixelSize) : count * pixelSize;
    if (at > bytes.size() || bytes.size() - at < least)
        return Refuse(why, "is truncated: it holds fewer pixels than its header says");
    if (!CheckImageSize(width, height, why)) return false;

    PixelImage decoded(static_cast<int>(width), static_cast<int>(height), 4);
    const auto pixel = [&](std::size_t from, std::uint8_t* to) {
        if (grey) {
            to[0] = to[1] = to[2] = byte(from), to[3] = 255;
        } else if (mapped) {
            const std::size_t index = byte(from) >= mapFirst ? byte(from) - mapFirst : mapLength;
            if (index < mapLength)
                std::copy(&map[4 * index], &map[4 * index] + 4, to);
            else
                to[0] = to[1] = to[2] = 0, to[3] = 255;  // an index outside the map
        } else {
            colour(from, bits, to);
        }
    };
    // Pixels come in file order: rows from the bottom unless the origin is at
    // the top, each row from the left unless it is at the right.
    const bool topOrigin = (descriptor & 0x20) != 0, rightOrigin = (descriptor & 0x10) != 0;
    const auto place = [&](std::size_t index) {
        const long long y = static_cast<long long>(index) / width, x = static_cast<long long>(index) % width;
        return decoded.At(static_cast<int>(topOrigin ? height - 1 - y : y), static_cast<int>(rightOrigin ? width - 1 - x : x));
    };
    for (std::size_t done = 0; done < count;) {
        std::size_t run = 1;
        bool repeat = false;
        if (runLength) {
            if (at >= bytes.size()) return Refuse(why, "is truncated: its run-length pixels end early");
            repeat = (byte(at) & 0x80) != 0;
            run = std::min<std::size_t>((byte(at) & 0x7F) + 1u, count - done);
            ++at;
        }
        const std::size_t need = repeat ? pixelSize : run * pixelSize;
        if (at > bytes.size() || bytes.size() - at < need)
            return Refuse(why, "is truncated: its run-length pixels end early");
        for (std::size_t k = 0; k < run; ++k) pixel(repeat ? at : at + k * pixelSize, place(done + k));
        at += need;
        done += run;
    }
    image = std::move(decoded);
    return true;
}

}  // namespace grovewright
