#include "io/TGFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "io/FileError.h"
#include "io/Utf8.h"

namespace grovewright {

bool TGFileReader::Open() {
    if (fileName_.empty()) return false;
    open_ = LoadContent();
    return open_;
}

bool TGFileReader::LoadContent() {
    lastError_.clear();
    // O_NONBLOCK: opening a pipe without a writer must not hang.
    const int fd = open(fileName_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail("cannot be opened", errno);

    struct stat info;
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return Fail("cannot be read", error);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return Fail("is not a regular file", 0);
    }
    if (static_cast<std::size_t>(info.st_size) > kMaxFileSize) {
        close(fd);
        return Fail("is larger than 64 MiB", 0);
    }

    // Read at most one byte past the limit: the size may have grown since fstat.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > kMaxFileSize) break;
            bytes.resize(std::min(bytes.size() * 2, kMaxFileSize + 1));
        }
        const ssize_t got = read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            close(fd);
            return Fail("cannot be read", error);
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    close(fd);
    if (filled > kMaxFileSize) return Fail("is larger than 64 MiB", 0);
    bytes.resize(filled);
    if (!IsValidUtf8(bytes)) return Fail("is not a UTF-8 text file", 0);

    bytes.erase(std::remove_if(bytes.begin(), bytes.end(), [](char c) { return c == '\n' || c == '\r'; }),
                bytes.end());
    content_ = std::move(bytes);
    return true;
}

bool TGFileReader::Fail(const std::string& what, int error) {
    lastError_ = DescribeFileError(fileName_, what, error);
    return false;
}

}  // namespace grovewright
