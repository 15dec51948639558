#include "app/GrovewrightApp.h"

#include <wx/image.h>

#include "app/MainFrame.h"

bool GrovewrightApp::OnInit() {
    frame_ = new MainFrame(nullptr, wxEmptyString);
    frame_->Show(true);
    frame_->SetSize(100, 100, 800, 550);
    SetTopWindow(frame_);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
    // Once the window is up: a design kept at the last logout or shutdown.
    frame_->CallAfter(&MainFrame::OfferRecovery);
    return true;
}
