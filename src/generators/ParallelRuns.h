#pragma once

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace grovewright {

// Growth never starts more threads than this.
constexpr unsigned kMaxGrowthThreads = 8;

// The threads growth may use for a large piece of work.
inline unsigned GrowthThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores < kMaxGrowthThreads ? (cores == 0 ? 1 : cores) : kMaxGrowthThreads;
}

// Runs work(0) on this thread and work(1) .. work(threads - 1) on others (on
// this one when a thread cannot be started); a failure on any is raised here.
template <typename Work>
void RunInParallel(unsigned threads, Work&& work) {
    std::vector<std::thread> workers;
    std::vector<unsigned> leftOver;
    std::exception_ptr failure;
    std::mutex failureLock;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            workers.emplace_back([&, t] {
                try {
                    work(t);
                } catch (...) {
                    const std::lock_guard<std::mutex> hold(failureLock);
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            leftOver.push_back(t);
        }
    }
    try {
        work(0);
        for (unsigned t : leftOver) work(t);
    } catch (...) {
        for (std::thread& worker : workers) worker.join();
        throw;
    }
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace grovewright
