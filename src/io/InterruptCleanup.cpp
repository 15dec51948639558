#include "io/InterruptCleanup.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>

namespace grovewright {

namespace {

// Fixed storage: the signal handler may only read it and call unlink.
constexpr int kSlots = 16;
constexpr std::size_t kMaxPath = 4096;
char paths[kSlots][kMaxPath];
std::atomic<bool> taken[kSlots];

void RemoveAndEnd(int signal) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (taken[slot].load()) unlink(paths[slot]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void RemoveTemporaryFilesOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemoveAndEnd);
}

int RegisterTemporaryFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= kMaxPath) return -1;
    // Writers open and close on one thread; only the handler reads alongside.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (taken[slot].load()) continue;
        std::memcpy(paths[slot], path, length + 1);
        taken[slot].store(true);  // published once the path is complete
        return slot;
    }
    return -1;
}

void ReleaseTemporaryFile(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    taken[slot].store(false);
}

}  // namespace grovewright
