#include "app/GrovewrightApp.h"

#include <unistd.h>
#include <wx/image.h>
#include <wx/msgdlg.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>
#include <new>

#include "app/FreedMemory.h"
#include "app/MainFrame.h"
#include "app/WindowCommandLine.h"

// Last: Xlib's macros (None, Status) clash with names of the program's own headers.
#include <X11/Xlib.h>

bool GrovewrightApp::commandLineRefused_ = false;

bool GrovewrightApp::OnInit() {
    // The toolkit has taken its own options out of argv.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i].ToStdString(wxConvUTF8));
    std::string file, error;
    if (!grovewright::ProjectToOpen(arguments, file, error)) {
        std::cerr << "grovewright: " << error << "\n";
        commandLineRefused_ = true;
        return false;
    }
    grovewright::KeepFreedMemory();
    auto* frame = new MainFrame(nullptr, wxEmptyString);
    // Its size before it is shown, so that it is first mapped at that size.
    frame->SetSize(100, 100, 800, 550);
    frame->Show(true);
    SetTopWindow(frame);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
    // Once the window is up: a design kept at the last logout or shutdown.
    frame->CallAfter([frame, file] { frame->StartUp(wxString::FromUTF8(file)); });
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) SetSignalHandler(signal, &GrovewrightApp::OnTerminateSignal);
    // In place of the toolkit's own handler, which ends the process with nothing kept.
    XSetIOErrorHandler(&GrovewrightApp::OnDisplayLost);
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

namespace {

// The main window while it is up; none once it is being taken down.
MainFrame* ShownFrame() { return wxTheApp ? dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow()) : nullptr; }

}  // namespace

void GrovewrightApp::OnTerminateSignal(int) {
    if (MainFrame* frame = ShownFrame())
        frame->EndSession();
    else
        wxTheApp->ExitMainLoop();
    wxWakeUpIdle();
}

int GrovewrightApp::OnDisplayLost(struct _XDisplay*) {
    MainFrame* frame = ShownFrame();
    const bool kept = !frame || frame->KeepUnsavedDesign();
    // No toolkit call may follow: it would need the display.
    _exit(kept ? 0 : 1);
}
