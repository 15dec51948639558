#pragma once

#include <wx/app.h>

class MainFrame;

// Creates the main window, shows it at (100, 100) with 800 x 550 pixels and
// registers the XPM image handler for custom textures.
class GrovewrightApp : public wxApp {
public:
    bool OnInit() override;
    MainFrame* Frame() const { return frame_; }

private:
    MainFrame* frame_ = nullptr;
};
