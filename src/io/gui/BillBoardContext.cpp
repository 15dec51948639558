#include "io/gui/BillBoardContext.h"

#include <wx/dcclient.h>

#include <algorithm>

#include "render/gui/GrovewrightDrawPanelGL.h"

BillBoardContext::BillBoardContext(wxWindow* parent, TextureManager* textures, wxGLContext* shared)
    : wxGLCanvas(parent, wxID_ANY, GrovewrightDrawPanelGL::kPixelFormat, wxDefaultPosition, wxDefaultSize,
                 wxFULL_REPAINT_ON_RESIZE, "BillBoardContext"),
      parent_(parent),
      textures_(textures),
      shared_(shared) {
    Bind(wxEVT_IDLE, [this](wxIdleEvent&) { Render(); });
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxPaintDC dc(this);
        Render();
    });
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_RIGHT_DOWN,
                      wxEVT_RIGHT_UP, wxEVT_MOTION, wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DCLICK,
                      wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL})
        Bind(type, &BillBoardContext::OnMouse, this);
}

BillBoardContext::~BillBoardContext() = default;

void BillBoardContext::SetAmbient(float v) {
    const float colour[4] = {v, v, v, 1};
    std::copy(colour, colour + 4, scene_.light.ambient);
    std::copy(colour, colour + 4, scene_.light.modelAmbient);
}

void BillBoardContext::SetDiffuse(float v) {
    const float colour[4] = {v, v, v, 1};
    std::copy(colour, colour + 4, scene_.light.diffuse);
}

void BillBoardContext::SetSpecular(float v) {
    const float colour[4] = {v, v, v, 1};
    std::copy(colour, colour + 4, scene_.light.specular);
}

void BillBoardContext::SetLightPosition(float x, float y, float z) { scene_.light.SetPosition(x, y, z); }

void BillBoardContext::SetClearColour(float grey) {
    const float colour[4] = {grey, grey, grey, 1};
    std::copy(colour, colour + 4, scene_.clearColour);
}

wxSize BillBoardContext::CanvasSize() const {
    const wxSize client = parent_->GetClientSize();
    // A dialog narrower than the side panel still gives GL a real viewport.
    return {std::max(1, client.x - kSidePanelWidth), std::max(1, client.y)};
}

bool BillBoardContext::MakeCurrent() {
    if (!IsShownOnScreen()) return false;
    if (!context_) context_ = std::make_unique<wxGLContext>(this, shared_);
    SetCurrent(*context_);
    return true;
}

void BillBoardContext::Render() {
    if (!MakeCurrent()) return;
    const wxSize size = CanvasSize();
    DrawBillboard(scene_, *textures_, size.x, size.y);
    SwapBuffers();
}

grovewright::PixelImage BillBoardContext::ReadPixels() {
    if (!MakeCurrent()) return {};
    const wxSize size = CanvasSize();
    // The back buffer before the swap: after it the front buffer may read back black.
    DrawBillboard(scene_, *textures_, size.x, size.y);
    grovewright::PixelImage image = scene::ReadPixels(size.x, size.y);
    SwapBuffers();
    return image;
}

void BillBoardContext::OnMouse(wxMouseEvent& event) {
    const int x = event.GetX(), y = event.GetY();
    if (event.LeftDown() || event.RightDown()) {
        lastX_ = x;
        lastY_ = y;
    }
    if (event.Dragging() && event.LeftIsDown()) {
        if (event.ControlDown()) {
            if (y < lastY_) scene_.tilt = std::max(-90.0f, scene_.tilt - 1);
            if (y > lastY_) scene_.tilt = std::min(90.0f, scene_.tilt + 1);
        } else {
            scene_.panY += 0.01f * static_cast<float>(lastY_ - y);
        }
        scene_.panX += 0.01f * static_cast<float>(x - lastX_);
    } else if (event.Dragging() && event.RightIsDown()) {
        scene_.zoom += 0.01f * static_cast<float>(lastY_ - y);
    }
    lastX_ = x;
    lastY_ = y;
}
