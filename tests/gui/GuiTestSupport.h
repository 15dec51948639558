#pragma once

#include <gtest/gtest.h>

// Modal dialogs that a test does not expect fail the test instead of blocking.
#define wxTEST_DIALOG_HOOK_CLASS FailingDialogHook
#include <wx/testing.h>

#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <limits>

#include "app/MainFrame.h"
#include "generators/gui/LeafCreator.h"
#include "generators/gui/SimpleGrovewright.h"
#include "panels/LeafSetupPanel.h"
#include "panels/SliderRow.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

class FailingDialogHook : public wxTestingModalHook {
public:
    FailingDialogHook(const char* file, int line, const char* function)
        : wxTestingModalHook(file, line, function) {}

protected:
    void ReportFailure(const wxString& message) override { ADD_FAILURE() << message; }
};

// Answers a message box and keeps its text, so that a test can check what the
// user was told.
class ExpectMessage : public wxExpectModal<wxMessageDialog> {
public:
    ExpectMessage(int answer, wxString& text) : wxExpectModal<wxMessageDialog>(answer), text_(text) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        text_ = dialog->GetMessage();
        return wxExpectModal<wxMessageDialog>::OnInvoked(dialog);
    }

private:
    wxString& text_;
};

// Answers a file dialog with a path and keeps the folder it opened in.
class ExpectFileDialog : public wxExpectModal<wxFileDialog> {
public:
    ExpectFileDialog(const wxString& path, wxString& openedIn)
        : wxExpectModal<wxFileDialog>(path), openedIn_(openedIn) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        openedIn_ = dialog->GetDirectory();
        return wxExpectModal<wxFileDialog>::OnInvoked(dialog);
    }

private:
    wxString& openedIn_;
};

// The slow-edit threshold of the slider rows in the tests: never reached.
inline constexpr long kNeverSlow = std::numeric_limits<long>::max();

// While added as an event filter: a progress dialog handles its own events
// while the work runs, and the first one it handles presses its Cancel, as a
// user would (unless only watching). It keeps the dialog's title and, when
// given a label, that label's text at that moment.
struct PressCancel : wxEventFilter {
    explicit PressCancel(bool press = true, const wxStaticText* label = nullptr) : press(press), label(label) {}
    bool press;
    const wxStaticText* label;
    bool pressed = false;
    wxString title, labelThen;
    int FilterEvent(wxEvent& event) override;
};

// A mouse event with the given buttons and keys held.
wxMouseEvent Mouse(wxEventType type, int x, int y, bool left, bool right, bool shift = false, bool control = false);
// Sends the event to the window as the toolkit does.
inline void Send(wxWindow& window, wxMouseEvent event) { window.ProcessWindowEvent(event); }

// A fresh main window, shown at (100, 100) with 800 x 550 pixels as the program
// shows it, and destroyed after each test.
class FrameTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Closes the window as the toolkit does (force: a close that cannot be
    // vetoed); true when the window went away.
    bool CloseFrame(bool force);
    // Sends a menu (or tool) command as a click would.
    void Command(int id);
    // Moves a slider as a user drag does: the value, then its thumb-track event.
    void Drag(wxSlider* slider, int value);
    // Moves a slider as one step of the mouse wheel does: the value, then only
    // the scroll-changed event.
    void Wheel(wxSlider* slider, int value);
    // Ends a drag: the slider's thumb-release event.
    void Release(wxSlider* slider);
    // Lets pending events (paint, size) run.
    static void Pump();

    bool Checked(int id) const { return frame->GetMenuBar()->IsChecked(id); }
    bool Enabled(int id) const { return frame->GetMenuBar()->IsEnabled(id); }
    bool ToolOn(int id) const { return frame->GetToolBar()->GetToolState(id); }
    bool ToolEnabled(int id) const { return frame->GetToolBar()->GetToolEnabled(id); }
    SimpleGrovewright& Simple() { return *static_cast<SimpleGrovewright*>(frame->Generators().front()); }
    GrovewrightDrawPanelGL& View() { return frame->DrawPanel(); }
    LeafCreator& Leaves() { return frame->Leaves(); }
    // Clicks a check box as a user does (the handler ignores the box's own state).
    void Click(wxCheckBox* box);

    MainFrame* frame = nullptr;
};
