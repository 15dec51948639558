// Runs the GUI tests in-process: a real wx application under Xvfb, with modal
// dialogs answered by the toolkit's test hooks and wx asserts turned into failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>

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

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does it at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) return 1;
    if (!wxTheApp->CallOnInit()) return 1;
    // A logged error must not become a message box that nobody closes.
    delete wxLog::SetActiveTarget(new wxLogStderr);
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
