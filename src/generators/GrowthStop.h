#pragma once

#include <atomic>
#include <exception>

namespace grovewright {

// Thrown by growth that was asked to stop (see GrowthStop).
struct GrowthStopped : std::exception {
    const char* what() const noexcept override { return "the growth was stopped"; }
};

// A request, from another thread (the window's Cancel), to stop the growth
// under way: growth checks it between branches and then throws GrowthStopped,
// leaving the tree half grown for its caller to grow again or drop.
class GrowthStop {
public:
    static void Request() { requested_.store(true, std::memory_order_relaxed); }
    static void Clear() { requested_.store(false, std::memory_order_relaxed); }
    static void Check() {
        if (requested_.load(std::memory_order_relaxed)) throw GrowthStopped();
    }

private:
    static inline std::atomic<bool> requested_{false};
};

}  // namespace grovewright
