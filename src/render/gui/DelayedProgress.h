#pragma once

#include <wx/progdlg.h>
#include <wx/stopwatch.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <memory>

// Progress of long work, told as a share from 0 to 1: a progress dialog with
// Cancel appears once the work has taken longer than the delay (never for a
// negative delay), so that quick work shows nothing.
class DelayedProgress {
public:
    DelayedProgress(const wxString& title, const wxString& message, wxWindow* parent, long delayMilliseconds,
                    bool cancellable = true)
        : title_(title), message_(message), parent_(parent), delay_(delayMilliseconds), cancellable_(cancellable) {}
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;
    // The dialog disabled the window and took the keyboard focus: the window
    // gets both back at once (its shortcuts work without a detour through a
    // menu), and is drawn again where the dialog stood.
    ~DelayedProgress() {
        if (!dialog_) return;
        dialog_.reset();
        wxWindow* top = parent_ ? wxGetTopLevelParent(parent_) : nullptr;
        if (!top) return;
        top->Raise();
        if (focus_) focus_->SetFocus();
        top->Refresh();
        top->Update();
    }

    // False once the user pressed Cancel.
    bool Update(double done) { return !Due(true) || dialog_->Update(static_cast<int>(done * 1000)); }
    // For work whose share done is not known: the bar moves to and fro.
    bool Pulse() { return !Due(false) || dialog_->Pulse(); }
    // The dialog, once it is shown.
    wxProgressDialog* Dialog() const { return dialog_.get(); }

private:
    // Whether the dialog is shown, showing it once the delay is over (with the
    // time left when the share done is known).
    bool Due(bool knownShare) {
        if (!dialog_) {
            if (delay_ < 0 || clock_.Time() < delay_) return false;
            focus_ = wxWindow::FindFocus();
            dialog_ = std::make_unique<wxProgressDialog>(
                title_, message_, 1000, parent_,
                wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME | (knownShare ? wxPD_REMAINING_TIME : 0) |
                    (cancellable_ ? wxPD_CAN_ABORT : 0));
        }
        return true;
    }

    wxString title_, message_;
    wxWindow* parent_;
    long delay_;
    bool cancellable_;
    wxStopWatch clock_;
    wxWeakRef<wxWindow> focus_;  // had the keyboard focus when the dialog opened
    std::unique_ptr<wxProgressDialog> dialog_;
};
