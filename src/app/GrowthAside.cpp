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
    bool cancelled = false;
    {
        DelayedProgress progress("Growing the tree", "Growing the tree from its new values", parent,
                                 delayMilliseconds, cancellable);
        // The dialog takes its events meanwhile; Cancel stops the growth at its next branch.
        auto pulse = [&] {
            if (!cancelled && !progress.Pulse()) {
                cancelled = true;
                grovewright::GrowthStop::Request();
            }
        };
        pulse();  // at once when the dialog has no delay
        std::unique_lock<std::mutex> hold(lock);
        while (!ended.wait_for(hold, std::chrono::milliseconds(50), [&] { return done; })) {
            hold.unlock();
            pulse();
            hold.lock();
        }
        hold.unlock();
        // A Cancel pressed as the growth ended still takes the edit back.
        if (progress.Dialog()) pulse();
    }
    worker.join();
    grovewright::GrowthStop::Clear();
    if (failure) std::rethrow_exception(failure);
    if (cancelled) throw grovewright::GrowthStopped();
}
