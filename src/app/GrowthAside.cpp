#include "app/GrowthAside.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "generators/GrowthStop.h"
#include "render/gui/DelayedProgress.h"

void GrowAside(wxWindow* parent, const std::function<void()>& grow, bool cancellable, long delayMilliseconds) {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    grovewright::GrowthStop::Clear();
    std::thread worker([&] {
        try {
            grow();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> hold(lock);
        done = true;
        ended.notify_one();
    });
    {
        DelayedProgress progress("Growing the tree", "Growing the tree from its new values", parent,
                                 delayMilliseconds, cancellable);
        std::unique_lock<std::mutex> hold(lock);
        while (!ended.wait_for(hold, std::chrono::milliseconds(50), [&] { return done; })) {
            hold.unlock();
            // The dialog takes its events meanwhile; Cancel stops the growth at its next branch.
            if (!progress.Pulse()) grovewright::GrowthStop::Request();
            hold.lock();
        }
    }
    worker.join();
    grovewright::GrowthStop::Clear();
    if (failure) std::rethrow_exception(failure);
}
