#include "io/TGFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/FileError.h"
#include "io/InterruptCleanup.h"

namespace grovewright {

namespace {

// Bytes collected before they are handed to the kernel in one write.
constexpr std::size_t kBufferSize = 1 << 20;

// A hidden temporary file next to the target, so the final rename stays on one
// file system and is atomic.
std::string TemporaryPattern(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto cut = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, cut) + "." + path.substr(cut) + ".XXXXXX";
}

// The permissions a newly created file would get: 0666 less the umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

TGFileWriter::TGFileWriter(std::string defaultExtension) : defaultExtension_(std::move(defaultExtension)) {}

TGFileWriter::~TGFileWriter() { Abort(); }

void TGFileWriter::SetFileName(const std::string& name) { fileName_ = WithExtension(name, defaultExtension_); }

std::string TGFileWriter::WithExtension(const std::string& name, const std::string& extension) {
    if (extension.empty()) return name;
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && strcasecmp(name.c_str() + dot + 1, extension.c_str()) == 0) return name;
    return name + "." + extension;
}

bool TGFileWriter::Open() {
    if (IsOpen()) return true;
    if (fileName_.empty()) return false;
    lastError_.clear();
    failed_ = false;

    mode_t mode = NewFileMode();
    // A symbolic link stays a link: the file it points to is the one replaced.
    targetName_ = fileName_;
    struct stat link;
    if (lstat(fileName_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = realpath(fileName_.c_str(), nullptr)) {
            targetName_ = resolved;
            free(resolved);
        }
    }
    struct stat target;
    if (stat(targetName_.c_str(), &target) == 0) {
        // Never replace a folder, a device or a pipe with a regular file, and
        // respect a read-only file instead of renaming around its protection.
        if (!S_ISREG(target.st_mode)) {
            Fail("is not a regular file", 0);
            return false;
        }
        if (access(fileName_.c_str(), W_OK) != 0) {
            Fail("cannot be written", errno);
            return false;
        }
        mode = target.st_mode & 07777;
    }

    std::string pattern = TemporaryPattern(targetName_);
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        Fail("cannot be created", errno);
        return false;
    }
    fchmod(fd, mode);
    fd_ = fd;
    temporaryName_ = pattern;
    cleanupSlot_ = RegisterTemporaryFile(temporaryName_.c_str());
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    used_ = 0;
    positionalError_ = 0;
    return true;
}

bool TGFileWriter::Close() {
    if (!IsOpen()) return true;
    bool ok = !failed_ && Flush();
    if (ok && positionalError_ != 0) {
        Fail("could not be written", positionalError_);
        ok = false;
    }
    if (ok && fsync(fd_) != 0) {
        Fail("could not be written", errno);
        ok = false;
    }
    if (close(fd_) != 0 && ok) {
        Fail("could not be written", errno);
        ok = false;
    }
    fd_ = -1;
    used_ = 0;
    if (ok && rename(temporaryName_.c_str(), targetName_.c_str()) != 0) {
        Fail("could not be replaced", errno);
        ok = false;
    }
    if (!ok) DiscardTemporary();
    ForgetTemporary();
    return ok;
}

void TGFileWriter::Abort() {
    if (!IsOpen()) return;
    close(fd_);
    fd_ = -1;
    used_ = 0;
    DiscardTemporary();
    ForgetTemporary();
}

void TGFileWriter::Write(std::string_view text) {
    if (!IsOpen() || failed_) return;
    if (text.size() > kBufferSize - used_) {
        if (!Flush()) return;
        if (text.size() > kBufferSize) {
            if (!WriteBytes(fd_, text.data(), text.size())) Fail("could not be written", errno);
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, text.data(), text.size());
    used_ += text.size();
}

void TGFileWriter::WriteAt(std::uint64_t offset, std::string_view bytes) {
    if (!IsOpen() || positionalError_ != 0) return;
    const std::uint64_t start = offset;
    for (std::string_view rest = bytes; !rest.empty();) {
        const ssize_t written = pwrite(fd_, rest.data(), rest.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            int none = 0;
            positionalError_.compare_exchange_strong(none, errno);
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    sync_file_range(fd_, static_cast<off_t>(start), static_cast<off_t>(bytes.size()), SYNC_FILE_RANGE_WRITE);
}

void TGFileWriter::WriteLine(std::string_view text) {
    Write(text);
    Write("\n");
}

char* TGFileWriter::Reserve(std::size_t size) {
    if (!IsOpen() || failed_ || size > kBufferSize) return nullptr;
    if (size > kBufferSize - used_ && !Flush()) return nullptr;
    return buffer_.get() + used_;
}

bool TGFileWriter::WriteBytes(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool TGFileWriter::Flush() {
    if (failed_) return false;
    if (!WriteBytes(fd_, buffer_.get(), used_)) {
        Fail("could not be written", errno);
        return false;
    }
    used_ = 0;
    return true;
}

void TGFileWriter::Fail(const std::string& what, int error) {
    failed_ = true;
    lastError_ = DescribeFileError(fileName_, what, error);
}

void TGFileWriter::DiscardTemporary() {
    if (!temporaryName_.empty()) unlink(temporaryName_.c_str());
}

void TGFileWriter::ForgetTemporary() {
    ReleaseTemporaryFile(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryName_.clear();
}

}  // namespace grovewright
