// GUI test processes start side by side on one virtual X server. When several
// connect at the same moment the server's listen queue can be full, and the
// connection fails at once (EAGAIN or a reset) instead of waiting: the toolkit
// then cannot start and the test fails for no fault of the program. This
// definition takes the place of Xlib's for the test binary (the binary exports
// it, see tests/CMakeLists.txt) and tries again for a few seconds.
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

extern "C" Display* XOpenDisplay(_Xconst char* name) {
    using Open = Display* (*)(_Xconst char*);
    static const Open open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    constexpr int kAttempts = 100;  // 100 x 50 ms
    for (int attempt = 1;; ++attempt) {
        if (Display* display = open(name)) return display;
        if (attempt == kAttempts) return nullptr;
        usleep(50000);
    }
}
