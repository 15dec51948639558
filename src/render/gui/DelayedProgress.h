#pragma once

#include <wx/progdlg.h>
#include <wx/stopwatch.h>

#include <memory>

// Progress of long work, told as a share from 0 to 1: a progress dialog with
// Cancel appears once the work has taken longer than the delay (never for a
// negative delay), so that quick work shows nothing.
class DelayedProgress {
public:
    DelayedProgress(const wxString& title, const wxString& message, wxWindow* parent, long delayMilliseconds)
        : title_(title), message_(message), parent_(parent), delay_(delayMilliseconds) {}

    // False once the user pressed Cancel.
    bool Update(double done) {
        if (!dialog_) {
            if (delay_ < 0 || clock_.Time() < delay_) return true;
            dialog_ = std::make_unique<wxProgressDialog>(
                title_, message_, 1000, parent_,
                wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_REMAINING_TIME);
        }
        return dialog_->Update(static_cast<int>(done * 1000));
    }

private:
    wxString title_, message_;
    wxWindow* parent_;
    long delay_;
    wxStopWatch clock_;
    std::unique_ptr<wxProgressDialog> dialog_;
};
