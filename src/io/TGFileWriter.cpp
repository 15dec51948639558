#include "io/TGFileWriter.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "io/FileError.h"
#include "io/FileNaming.h"
#include "io/InterruptCleanup.h"

namespace grovewright {

namespace {

// Bytes collected before they are handed to the kernel in one write.
constexpr std::size_t kBufferSize = 1 << 20;
// As many links as the kernel follows before it reports a loop.
constexpr int kMaxLinkHops = 40;

// The folder part of a path with its slash ("" for a bare name).
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The permissions a newly created file would get: 0666 less the umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The file that writing path replaces: path itself, or the end of its chain of
// symbolic links, which need not exist yet (a dangling link is written through,
// as editors do). False with errno ELOOP for a loop, or readlink's errno.
bool FollowLinks(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat link;
        if (lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            target = current;
            return true;
        }
        std::string next(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t length = readlink(current.c_str(), next.data(), next.size());
        if (length < 0) return false;
        next.resize(static_cast<std::size_t>(length));
        current = next.empty() || next[0] == '/' ? next : FolderOf(current) + next;
    }
    errno = ELOOP;
    return false;
}

// Gives the unnamed file open as fd the name path; false with errno set.
bool LinkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
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
    finished_ = false;

    mode_t mode = NewFileMode();
    // A symbolic link stays a link: the file it points to is the one replaced.
    if (!FollowLinks(fileName_, targetName_)) {
        const int reason = errno;
        if (reason == ELOOP)
            Fail("cannot be written: its symbolic links form a loop", 0);
        else
            Fail("cannot be written", reason);
        return false;
    }
    struct stat target;
    if (stat(targetName_.c_str(), &target) == 0) {
        // Never replace a folder, a device or a pipe with a regular file, and
        // respect a read-only file instead of renaming around its protection.
        if (!S_ISREG(target.st_mode)) {
            Fail("is not a regular file", 0);
            return false;
        }
        if (access(targetName_.c_str(), W_OK) != 0) {
            Fail("cannot be written", errno);
            return false;
        }
        mode = target.st_mode & 07777;
    }

    // An unnamed file in the target's folder, named only when complete: a
    // process killed meanwhile leaves nothing behind. File systems without
    // unnamed files (and systems without /proc, through which it is named) get
    // a hidden temporary, removed on the usual signals.
    const std::string folder = FolderOf(targetName_);
    int fd = access("/proc/self/fd", X_OK) == 0
                 ? open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                 : -1;
    if (fd < 0) {
        std::string pattern = HiddenName(targetName_, "XXXXXX");
        fd = mkstemp(pattern.data());
        if (fd < 0) {
            Fail("cannot be created", errno);
            return false;
        }
        temporaryName_ = pattern;
        cleanupSlot_ = RegisterTemporaryFile(temporaryName_.c_str());
    }
    fchmod(fd, mode);
    fd_ = fd;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    used_ = 0;
    positionalError_ = 0;
    return true;
}

bool TGFileWriter::Finish() {
    if (!IsOpen() || finished_) return true;
    bool ok = !failed_ && Flush();
    if (ok && positionalError_ != 0) {
        Fail("could not be written", positionalError_);
        ok = false;
    }
    if (ok && fsync(fd_) != 0) {
        Fail("could not be written", errno);
        ok = false;
    }
    if (!ok) {
        Abort();
        return false;
    }
    finished_ = true;
    return true;
}

bool TGFileWriter::Commit() {
    if (!IsOpen()) return true;
    if (!Finish()) return false;
    if (NamingGroup* group = NamingGroup::Active()) {
        group->Add(Release());
        return true;
    }
    bool ok = true;
    if (temporaryName_.empty()) {
        // A new file takes its name at once; an existing one is replaced by a
        // rename from a hidden name, so that it is never missing.
        if (!LinkUnnamed(fd_, targetName_)) {
            ok = errno == EEXIST;
            for (int attempt = 0; ok && attempt < 100; ++attempt) {
                temporaryName_ = HiddenName(targetName_, UniqueSuffix());
                if (LinkUnnamed(fd_, temporaryName_)) break;
                temporaryName_.clear();
                ok = errno == EEXIST;
            }
            if (!ok || temporaryName_.empty()) {
                Fail("could not be replaced", errno);
                ok = false;
            } else {
                cleanupSlot_ = RegisterTemporaryFile(temporaryName_.c_str());
            }
        }
    }
    if (close(fd_) != 0 && ok) {
        Fail("could not be written", errno);
        ok = false;
    }
    fd_ = -1;
    used_ = 0;
    finished_ = false;
    if (ok && !temporaryName_.empty() && rename(temporaryName_.c_str(), targetName_.c_str()) != 0) {
        Fail("could not be replaced", errno);
        ok = false;
    }
    if (!ok) DiscardTemporary();
    ForgetTemporary();
    return ok;
}

bool TGFileWriter::Close() { return Finish() && Commit(); }

UnnamedFile TGFileWriter::Release() {
    if (!IsOpen() || !Finish()) return {};
    UnnamedFile file(fd_, temporaryName_, cleanupSlot_, targetName_);
    fd_ = -1;
    used_ = 0;
    finished_ = false;
    cleanupSlot_ = -1;
    temporaryName_.clear();
    return file;
}

void TGFileWriter::Abort() {
    if (!IsOpen()) return;
    close(fd_);
    fd_ = -1;
    used_ = 0;
    finished_ = false;
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
