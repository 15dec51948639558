#include "io/FileNaming.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "io/FileError.h"
#include "io/InterruptCleanup.h"

namespace grovewright {

namespace {

NamingGroup* activeGroup = nullptr;

// The folder part of a path with its slash ("" for a bare name).
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The termination signals wait while it lives, so that an ended naming leaves
// the whole new set or the whole old one.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_;
};

using Names = std::vector<std::pair<std::string, std::string>>;  // hidden name, target

constexpr const char* kLinking = "linking";
constexpr const char* kNaming = "naming";
// A journal is a few paths; anything longer is not one of ours.
constexpr std::size_t kMaxJournalBytes = 1 << 20;

std::string JournalOf(const std::string& mainTarget) { return HiddenName(mainTarget, "naming"); }

// The journal holds the state, then every hidden name and its target, each
// ended by a zero byte (paths may hold any other byte). It takes its name by a
// rename, so that it is always whole. The page cache outlives a killed
// process, so it needs no flush to the disk.
bool WriteJournal(const std::string& journal, const char* state, const Names& names) {
    std::string text = std::string(state) + '\0';
    for (const auto& [hidden, target] : names) text += hidden + '\0' + target + '\0';
    const std::string fresh = journal + "-new";
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    written = close(fd) == 0 && written;
    if (written && rename(fresh.c_str(), journal.c_str()) == 0) return true;
    const int reason = errno;
    unlink(fresh.c_str());
    errno = reason;
    return false;
}

// Whether hidden is a hidden name that NameTogether gives beside target: a
// journal names no other file, whoever wrote it.
bool IsHiddenNameOf(const std::string& hidden, const std::string& target) {
    const std::string prefix = HiddenName(target, "");
    return !target.empty() && target.back() != '/' && hidden.size() > prefix.size() &&
           hidden.compare(0, prefix.size(), prefix) == 0 && hidden.find('/', prefix.size()) == std::string::npos;
}

void RemoveHidden(const Names& names, std::size_t from = 0) {
    for (std::size_t i = from; i < names.size(); ++i) unlink(names[i].first.c_str());
}

}  // namespace

std::string HiddenName(const std::string& path, const std::string& suffix) {
    const std::string folder = FolderOf(path);
    return folder + "." + path.substr(folder.size()) + "." + suffix;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    std::uint64_t value = static_cast<std::uint64_t>(getpid()) * 1000003u + counter++ * 7919u +
                          static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i, value /= 62) suffix += kDigits[value % 62];
    return suffix;
}

UnnamedFile::UnnamedFile(int fd, std::string temporary, int cleanupSlot, std::string target)
    : fd_(fd), temporary_(std::move(temporary)), cleanupSlot_(cleanupSlot), target_(std::move(target)) {}

UnnamedFile::UnnamedFile(UnnamedFile&& other) noexcept { *this = std::move(other); }

UnnamedFile& UnnamedFile::operator=(UnnamedFile&& other) noexcept {
    if (this == &other) return *this;
    Drop();
    fd_ = std::exchange(other.fd_, -1);
    temporary_ = std::move(other.temporary_);
    other.temporary_.clear();
    cleanupSlot_ = std::exchange(other.cleanupSlot_, -1);
    target_ = std::move(other.target_);
    return *this;
}

UnnamedFile::~UnnamedFile() { Drop(); }

void UnnamedFile::Drop() {
    if (fd_ >= 0) close(fd_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
    ReleaseTemporaryFile(cleanupSlot_);
    fd_ = -1, cleanupSlot_ = -1;
    temporary_.clear();
}

bool UnnamedFile::LinkAs(const std::string& hidden) {
    bool linked;
    if (!temporary_.empty()) {
        linked = rename(temporary_.c_str(), hidden.c_str()) == 0;
    } else {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        linked = fd_ >= 0 && linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
    if (!linked) return false;
    temporary_.clear();  // it has its new name: nothing to remove
    Drop();
    return true;
}

void FinishInterruptedNaming(const std::string& mainTarget) {
    const std::string journal = JournalOf(mainTarget);
    unlink((journal + "-new").c_str());
    std::ifstream file(journal, std::ios::binary);
    if (!file) return;
    std::string text;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    file.close();
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; text.size() <= kMaxJournalBytes && start < text.size(); start = end + 1) {
        end = text.find('\0', start);
        if (end == std::string::npos) break;
        fields.push_back(text.substr(start, end - start));
    }
    if (!fields.empty() && fields.size() % 2 == 1 && (fields[0] == kLinking || fields[0] == kNaming)) {
        // Before every file had its hidden name the old set is whole: the hidden
        // files go. After, every hidden file still there takes its target's name.
        const bool naming = fields[0] == kNaming;
        for (std::size_t i = 1; i + 1 < fields.size(); i += 2) {
            const std::string &hidden = fields[i], &target = fields[i + 1];
            struct stat found;
            if (!IsHiddenNameOf(hidden, target) || lstat(hidden.c_str(), &found) != 0 || !S_ISREG(found.st_mode))
                continue;
            if (!naming || rename(hidden.c_str(), target.c_str()) != 0) unlink(hidden.c_str());
        }
    }
    unlink(journal.c_str());
}

bool NameTogether(std::vector<UnnamedFile>& files, std::string& error) {
    if (files.empty()) return true;
    const std::string main = files.back().Target(), journal = JournalOf(main);
    FinishInterruptedNaming(main);
    SignalsHeld held;
    Names names;
    for (const UnnamedFile& file : files) names.emplace_back(HiddenName(file.Target(), UniqueSuffix()), file.Target());
    if (!WriteJournal(journal, kLinking, names)) {
        error = DescribeFileError(main, "could not be written", errno);
        return false;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].LinkAs(names[i].first)) continue;
        error = DescribeFileError(names[i].second, "could not be replaced", errno);
        RemoveHidden(names);
        unlink(journal.c_str());
        return false;
    }
    if (!WriteJournal(journal, kNaming, names)) {
        error = DescribeFileError(main, "could not be written", errno);
        RemoveHidden(names);
        unlink(journal.c_str());
        return false;
    }
    std::vector<std::string> created;  // targets that did not exist before
    bool ok = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& [hidden, target] = names[i];
        const bool existed = access(target.c_str(), F_OK) == 0;
        if (rename(hidden.c_str(), target.c_str()) != 0) {
            // A file that could not take its name leaves no new files beside the old ones.
            error = DescribeFileError(target, "could not be replaced", errno);
            RemoveHidden(names, i);
            for (const std::string& path : created) unlink(path.c_str());
            ok = false;
            break;
        }
        if (!existed) created.push_back(target);
    }
    unlink(journal.c_str());
    files.clear();
    return ok;
}

NamingGroup::NamingGroup() : outer_(activeGroup) { activeGroup = this; }

NamingGroup::~NamingGroup() { activeGroup = outer_; }

NamingGroup* NamingGroup::Active() { return activeGroup; }

bool NamingGroup::Commit(std::string& error) { return NameTogether(files_, error); }

}  // namespace grovewright
