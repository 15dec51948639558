#pragma once

#include <wx/glcanvas.h>

#include <memory>

#include "render/PixelImage.h"
#include "render/gl/BillboardRenderer.h"

class TextureManager;

// The billboard dialog's GL canvas. Its context shares the main view's, so it
// draws the main view's display lists and textures as they are; it redraws on
// every idle event while shown. The left mouse button pans (with Ctrl it tilts,
// within -90..90 degrees), the right one zooms.
class BillBoardContext : public wxGLCanvas {
public:
    // The side panel's width: the canvas takes the parent's client area less it.
    static constexpr int kSidePanelWidth = 200;

    BillBoardContext(wxWindow* parent, TextureManager* textures, wxGLContext* shared);
    ~BillBoardContext() override;

    void SetAmbient(float v);
    void SetDiffuse(float v);
    void SetSpecular(float v);
    void SetLightPosition(float x, float y, float z);
    void SetTreeList(const GLMesh* mesh) { scene_.tree = mesh; }
    void SetStumpList(const GLMesh* mesh) { scene_.stump = mesh; }
    void SetLeafList(const GLMesh* mesh) { scene_.leaf = mesh; }
    void SetBaseAngle(float angle) { scene_.baseAngle = angle; }
    void SetBillboardAngle(float angle) { scene_.billboardAngle = angle; }
    void SetLighting(bool on) { scene_.light.on = on; }
    void SetClearColour(float grey);
    void ResetView() { scene_.ResetView(); }
    const BillboardScene& Scene() const { return scene_; }

    // The canvas's size: the parent's client width less the side panel by its
    // client height, at least 1 x 1.
    wxSize CanvasSize() const;
    void Render();
    // Renders once more and reads the picture back (RGBA, rows from the bottom
    // up); empty while the canvas is not on screen.
    grovewright::PixelImage ReadPixels();

private:
    // False while the canvas is not on screen.
    bool MakeCurrent();
    void OnMouse(wxMouseEvent& event);

    wxWindow* parent_;
    TextureManager* textures_;
    wxGLContext* shared_;
    std::unique_ptr<wxGLContext> context_;
    BillboardScene scene_;
    int lastX_ = 0, lastY_ = 0;
};
