#include "app/GrovewrightApp.h"

#include <wx/image.h>

#include <wx/msgdlg.h>

#include <csignal>
#include <new>

#include "app/MainFrame.h"

bool GrovewrightApp::OnInit() {
    frame_ = new MainFrame(nullptr, wxEmptyString);
    frame_->Show(true);
    frame_->SetSize(100, 100, 800, 550);
    SetTopWindow(frame_);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
    // Once the window is up: a design kept at the last logout or shutdown.
    frame_->CallAfter(&MainFrame::OfferRecovery);
    for (int signal : {SIGTERM, SIGHUP})
        SetSignalHandler(signal, &GrovewrightApp::OnTerminateSignal);
    return true;
}

bool GrovewrightApp::OnExceptionInMainLoop() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        wxMessageBox("There is not enough memory for this design.\n"
                     "The last change could not be shown completely. Save the design, then make it smaller "
                     "(fewer iterations or leaf pages).",
                     "Out of memory", wxOK | wxICON_ERROR, GetTopWindow());
        return true;
    }
}

void GrovewrightApp::OnTerminateSignal(int) {
    if (wxWindow* window = wxTheApp->GetTopWindow())
        window->Close(true);
    else
        wxTheApp->ExitMainLoop();
    // The window is deleted on the next idle time, which nothing else may bring now.
    wxWakeUpIdle();
}
