// Runs the GUI tests in-process: a real wx application under Xvfb, with modal
// dialogs answered by the toolkit's test hooks and wx asserts turned into failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GuiTestSupport.h"

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

void AssertToFailure(const wxString& file, int line, const wxString& function, const wxString& condition,
                     const wxString& message) {
    ADD_FAILURE() << "wx assert at " << file << ":" << line << " in " << function << ": " << condition << " "
                  << message;
}

// A home folder of this process's own: GTK, dconf and Mesa write settings and
// caches there, and the program its recovery file. Test processes running side
// by side must not share them.
class PrivateHome {
public:
    PrivateHome() {
        char pattern[] = "/tmp/grovewright-gui-XXXXXX";
        if (!mkdtemp(pattern)) return;
        path_ = pattern;
        setenv("HOME", path_.c_str(), 1);
        for (const char* name : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) unsetenv(name);
    }
    ~PrivateHome() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }

private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does it at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    PrivateHome home;
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "The toolkit could not start on DISPLAY \"%s\"\n", display ? display : "");
        return 1;
    }
    if (!wxTheApp->CallOnInit()) return 1;
    // A logged error must not become a message box that nobody closes.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    // Edits apply at once however long they take (a sanitizer build is slow);
    // the test of coalescing sets its own threshold.
    SliderRow::SetSlowEditMilliseconds(kNeverSlow);
    wxSetAssertHandler(AssertToFailure);
    int result;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
