#pragma once

#include <wx/app.h>

// Creates the main window, shows it at (100, 100) with 800 x 550 pixels and
// registers the XPM image handler for custom textures.
class GrovewrightApp : public wxApp {
public:
    bool OnInit() override;
    // Memory exhausted by an edit: said in a message, and the program (with the
    // design's values) goes on so that the design can still be saved.
    bool OnExceptionInMainLoop() override;
    // The arguments left by the toolkit were refused (an unknown option, two
    // files): said on standard error, and no window was opened.
    static bool CommandLineRefused() { return commandLineRefused_; }

private:
    static bool commandLineRefused_;
    // SIGTERM, SIGHUP and SIGINT (logout, shutdown, a closed terminal, Ctrl+C).
    static void OnTerminateSignal(int signal);
    // The X display went away (the usual logout ends the X server first):
    // nothing can be drawn or asked any more, so the design is kept and the
    // process ends at once.
    static int OnDisplayLost(struct _XDisplay* display);
};
