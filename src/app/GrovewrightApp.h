#pragma once

#include <wx/app.h>

class MainFrame;

// Creates the main window, shows it at (100, 100) with 800 x 550 pixels and
// registers the XPM image handler for custom textures.
class GrovewrightApp : public wxApp {
public:
    bool OnInit() override;
    // Memory exhausted by an edit: said in a message, and the program (with the
    // design's values) goes on so that the design can still be saved.
    bool OnExceptionInMainLoop() override;
    MainFrame* Frame() const { return frame_; }

private:
    // SIGTERM and SIGHUP (logout, shutdown, a closed terminal): the window is
    // closed without a question, which keeps an unsaved design for the next start.
    static void OnTerminateSignal(int signal);

    MainFrame* frame_ = nullptr;
};
