#include "io/ImageFiles.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

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
    // Each processor compresses a band of rows into a raw deflate stream; the
    // streams join into one (every band but the last ends on a byte boundary
    // without a final block), as parallel compressors of zlib data do.
    const int outChannels = image.channels == 4 && !dropAlpha ? 4 : 3;
    const std::size_t rowBytes = 1 + static_cast<std::size_t>(image.width) * outChannels;  // filter byte first
    const int bandCount = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    struct Band {
        int first = 0, end = 0;  // rows from the top
        std::string deflated;
        uLong adler = 1;
        bool failed = false;
    };
    std::vector<Band> bands(static_cast<std::size_t>(bandCount));
    auto compress = [&](Band& band, bool last) {
        z_stream stream{};
        // Run-length matches only: the filtered rows are mostly runs, found without a search.
        if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) {
            band.failed = true;
            return;
        }
        try {
            // Filter 1 (Sub): each byte less the one a pixel to its left, so that the even
            // stretches of a picture (sky, ground) become runs of zeros that deflate quickly.
            std::vector<Bytef> row(rowBytes, 1);
            // Room for the worst case, left uncleared: only what is written is touched.
            const uLong room = deflateBound(&stream, static_cast<uLong>(rowBytes) * (band.end - band.first)) + 64;
            const std::unique_ptr<Bytef[]> out(new Bytef[room]);
            stream.next_out = out.get();
            stream.avail_out = static_cast<uInt>(room);
            for (int y = band.first; y < band.end; ++y) {
                const std::uint8_t* from = image.At(image.height - 1 - y, 0);  // our rows go bottom up
                Bytef* filtered = &row[1];
                for (int c = 0; c < outChannels; ++c) filtered[c] = from[c];
                for (int x = 1; x < image.width; ++x) {
                    const std::uint8_t* left = from;
                    from += image.channels;
                    filtered += outChannels;
                    for (int c = 0; c < outChannels; ++c) filtered[c] = static_cast<Bytef>(from[c] - left[c]);
                }
                band.adler = adler32(band.adler, row.data(), static_cast<uInt>(rowBytes));
                stream.next_in = row.data();
                stream.avail_in = static_cast<uInt>(rowBytes);
                const int flush = y + 1 < band.end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
                if (deflate(&stream, flush) == Z_STREAM_ERROR || stream.avail_in != 0) band.failed = true;
            }
            band.deflated.assign(reinterpret_cast<const char*>(out.get()), stream.total_out);
        } catch (const std::bad_alloc&) {
            band.failed = true;
        }
        deflateEnd(&stream);
    };
    std::vector<std::thread> workers;
    for (int b = 0; b < bandCount; ++b) {
        Band& band = bands[static_cast<std::size_t>(b)];
        band.first = static_cast<int>(static_cast<long long>(image.height) * b / bandCount);
        band.end = static_cast<int>(static_cast<long long>(image.height) * (b + 1) / bandCount);
        const bool last = b + 1 == bandCount;
        if (last) break;
        try {
            workers.emplace_back(compress, std::ref(band), false);
        } catch (const std::system_error&) {
            compress(band, false);  // no thread to be had: done here
        }
    }
    compress(bands.back(), true);
    for (std::thread& worker : workers) worker.join();

    auto bigEndian = [](std::string& to, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) to += static_cast<char>((value >> shift) & 0xff);
    };
    std::string bytes = "\x89PNG\r\n\x1a\n";
    // A chunk: its length, type and data (written by write), and the checksum of type and data.
    auto chunk = [&](const char* type, std::size_t length, auto&& write) {
        bigEndian(bytes, static_cast<std::uint32_t>(length));
        const std::size_t start = bytes.size();
        bytes += type;
        write();
        bigEndian(bytes, static_cast<std::uint32_t>(
                             crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + start), bytes.size() - start)));
    };
    chunk("IHDR", 13, [&] {
        bigEndian(bytes, static_cast<std::uint32_t>(image.width));
        bigEndian(bytes, static_cast<std::uint32_t>(image.height));
        bytes += std::string{8, outChannels == 4 ? '\x06' : '\x02', 0, 0, 0};  // 8 bits, RGB(A), no interlace
    });
    // The image data is one zlib stream: header, the bands, the checksum of all rows.
    std::size_t length = 2 + 4;
    uLong adler = 1;
    for (const Band& band : bands) {
        if (band.failed) return {};
        length += band.deflated.size();
        adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(rowBytes * (band.end - band.first)));
    }
    chunk("IDAT", length, [&] {
        bytes += "\x78\x01";
        for (const Band& band : bands) bytes += band.deflated;
        bigEndian(bytes, static_cast<std::uint32_t>(adler));
    });
    chunk("IEND", 0, [] {});
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
