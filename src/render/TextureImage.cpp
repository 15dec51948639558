#include "render/TextureImage.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "io/FileError.h"
#include "render/ImageDecoders.h"
#include "render/XpmImage.h"

namespace grovewright {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool Fail(std::string& error, const std::string& path, const std::string& what, int reason = 0) {
    error = DescribeFileError(path, what, reason);
    return false;
}

bool EndsWith(const std::string& path, const char* ending) {
    const std::size_t length = std::char_traits<char>::length(ending);
    return path.size() >= length && strcasecmp(path.c_str() + path.size() - length, ending) == 0;
}

bool ReadXpm(const std::string& path, const std::string& text, PixelImage& image, std::string& error) {
    std::vector<std::string> lines;
    PixelImage decoded;
    if (XpmFileLines(text, lines)) decoded = DecodeXpmLines(lines, kMaxTexturePixels);
    if (decoded.width == 0) return Fail(error, path, "is not a complete XPM image of at most 64 million pixels");
    image = std::move(decoded);
    return true;
}

}  // namespace

bool ReadImageFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    // Without blocking: a project may name a pipe, whose opening would wait for a writer.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return Fail(error, path, "cannot be opened", errno);
    std::unique_ptr<std::FILE, FileCloser> file(fdopen(descriptor, "rb"));
    if (!file) {
        const int reason = errno;
        close(descriptor);
        return Fail(error, path, "cannot be opened", reason);
    }
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode))
        return Fail(error, path, "is not a regular file");
    if (static_cast<std::size_t>(status.st_size) > kMaxTextureFileBytes)
        return Fail(error, path, "is larger than 256 MB");
    bytes.resize(static_cast<std::size_t>(status.st_size));
    if (!bytes.empty() && std::fread(&bytes[0], 1, bytes.size(), file.get()) != bytes.size())
        return Fail(error, path, "cannot be read", ferror(file.get()) ? errno : 0);
    return true;
}

bool ReadTextureImage(const std::string& path, PixelImage& image, std::string& error, std::string* fileBytes) {
    std::string bytes;
    if (!ReadImageFileBytes(path, bytes, error)) return false;
    if (fileBytes) *fileBytes = bytes;
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (EndsWith(path, ".xpm") || (start != std::string::npos && bytes.compare(start, 9, "/* XPM */") == 0))
        return ReadXpm(path, bytes, image, error);
    // Each format by its signature; TGA has none but its name or its footer.
    bool (*decode)(const std::string&, PixelImage&, std::string&) = nullptr;
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0)
        decode = DecodePng;
    else if (bytes.compare(0, 3, "\xff\xd8\xff", 3) == 0)
        decode = DecodeJpeg;
    else if (bytes.compare(0, 2, "BM") == 0)
        decode = DecodeBmp;
    else if (EndsWith(path, ".tga") || HasTgaFooter(bytes))
        decode = DecodeTga;
    if (!decode) return Fail(error, path, bytes.empty() ? "is empty" : "is not a PNG, JPEG, BMP, TGA or XPM image");
    std::string why;
    if (!decode(bytes, image, why)) return Fail(error, path, why);
    return true;
}

}  // namespace grovewright
