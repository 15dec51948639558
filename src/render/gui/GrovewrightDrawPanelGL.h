#pragma once

#include <GL/gl.h>
#include <wx/glcanvas.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

#include "generators/TreeDesign.h"
#include "render/DragDetail.h"
#include "render/LevelsOfDetail.h"
#include "render/WindAnimation.h"
#include "render/gl/SceneRenderer.h"

class TextureManager;

// The OpenGL view of the design: renders the skeleton as lines, a wire frame or
// a textured, lit mesh with leaves on a ground under a sky, and turns mouse
// drags into camera moves. It redraws when the design says what changed,
// rebuilding only the display lists the change made stale.
class GrovewrightDrawPanelGL : public wxGLCanvas {
public:
    enum RenderMode {
        kLine = SceneRenderer::kLine,
        kWireFrame = SceneRenderer::kWireFrame,
        kFull3D = SceneRenderer::kFull3D
    };

    // RGBA, double-buffered, with a 24-bit depth buffer: the toolkit's default
    // pixel format has no depth buffer on GTK, and the scene needs its depth test
    // (nearer leaves over farther ones, the sky behind the ground). The billboard
    // canvas, which shares the view's context, uses it too.
    static constexpr int kPixelFormat[] = {WX_GL_RGBA, WX_GL_DOUBLEBUFFER, WX_GL_DEPTH_SIZE, 24, 0};
    // The wind preview's frame: 30 a second.
    static constexpr long kWindFrameMilliseconds = 33;

    GrovewrightDrawPanelGL(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size, long style,
                           const wxString& name, const int* attributes, grovewright::TreeDesign& design,
                           TextureManager& textures);
    ~GrovewrightDrawPanelGL() override;

    void Render();
    void Redraw(int keepLists);
    void SetRenderMode(int mode);
    // The frame's client size and the settings column's width: the canvas takes
    // (0, 0) to (width - sideColumn, height), at least 1 x 1.
    void ResizeView(int width, int height, int sideColumn);
    void ResetView();
    void DeleteDisplayLists();
    // A hint drawn in the empty view of the first start, until the design first changes.
    void ShowStartHint();

    // The tree values the mesh builder uses (the design's); values outside the
    // view's rule are ignored.
    void SetDiameter(int v) { TreeValues().SetDiameter(v); }
    void SetDiameterReduction(int v) { TreeValues().SetDiameterReduction(v); }
    void SetDivision(int v) { TreeValues().SetDivision(v); }
    void SetOrientationAngle(int v) { TreeValues().SetOrientationAngle(v); }
    void SetObliqueAngle(int v) { TreeValues().SetObliqueAngle(v); }
    grovewright::TreeViewParameters& TreeValues() { return design_.View(); }

    // Light colours (0..1; others ignored) and the light position.
    void SetAmbient(float v) { scene_.Light().SetAmbient(v); }
    void SetDiffuse(float v) { scene_.Light().SetDiffuse(v); }
    void SetSpecular(float v) { scene_.Light().SetSpecular(v); }
    void SetLightPosition(float x, float y, float z) { scene_.Light().SetPosition(x, y, z); }
    bool IsLightingOn() const { return scene_.Light().on; }
    void SetLightingOn(bool on) { scene_.Light().on = on; }

    float GetYaw() const { return scene_.View().yaw; }
    float GetPitch() const { return scene_.View().pitch; }
    const grovewright::Vector3D& GetCameraOffset() const { return scene_.View().offset; }
    float GetAmbient() const { return scene_.Light().ambient[0]; }
    float GetDiffuse() const { return scene_.Light().diffuse[0]; }
    float GetSpecular() const { return scene_.Light().specular[0]; }
    void GetLightPosition(float& x, float& y, float& z) const;
    const GLMesh& GetTreeList() const { return scene_.TreeMesh(); }
    const GLMesh& GetStumpList() const { return scene_.StumpMesh(); }
    const GLMesh& GetLeafList() const { return scene_.LeafMesh(); }
    int GetRenderMode() const { return scene_.RenderMode(); }
    int GetTreeTriangles() const { return scene_.TreeTriangles(); }
    int GetLeafTriangles() const { return scene_.LeafTriangles(); }
    // Frames swapped to the screen since the view was made.
    long FramesShown() const { return framesShown_; }
    // The context that owns the display lists and textures; null before the first frame.
    wxGLContext* GetContext() const { return context_.get(); }
    // Builds the display lists the current mode shows, so that another canvas
    // sharing the context can show them; false while the view has no context yet.
    bool PrepareLists();
    // Renders once more and reads the picture back, as RGBA rows from the bottom up.
    grovewright::PixelImage ReadPixels();
    // A build of the lists that takes longer than this shows a progress dialog
    // with Cancel (tests shorten it; negative: never).
    void SetProgressDelay(long milliseconds) { progressDelay_ = milliseconds; }
    // Called when the user cancelled a long build that no edit caused (a mode
    // change, a load): the window then shows something quick to draw.
    void OnBuildCancelled(std::function<void()> handler) { buildCancelled_ = std::move(handler); }

    // Draws an impostor's pictures of the design's tree and leaves, or of the
    // reduced level when given (as RenderImpostorAtlas does off screen), in the
    // back buffer, one picture after the other, then the view again; the
    // pictures are smaller when the view is. False with error set while the
    // view has no context.
    bool DrawImpostorAtlas(const grovewright::ImpostorBox& box, const grovewright::TreeModel* reduced,
                           grovewright::PixelImage& atlas, std::string& error);

    // The wind preview: while on, Full 3D moves the tree and its leaves by their
    // wind weights 30 times a second. It pauses in the other modes, at strength
    // 0, while a dialog is open over the window (pausedWhile says so) and for a
    // moment after each edit; the design is never touched, and what exports and
    // billboards take is the tree at rest.
    void SetWind(bool on);
    // The window is closing (the session ends): a build in progress stops at
    // its next step, and nothing is drawn any more.
    void StopDrawing() {
        stopped_ = true;
        SetWind(false);
    }
    void PauseWindWhile(std::function<bool()> pausedWhile) { windPausedWhile_ = std::move(pausedWhile); }
    bool WindOn() const { return windOn_; }
    // Wind strength 0 to 100 %.
    void SetWindStrength(int percent) { windStrength_ = percent; }
    int WindStrength() const { return windStrength_; }
    // Draws the tree as the wind moves it at this moment (seconds); false when
    // the preview is paused (off, another mode, no strength, a dialog, no
    // context). The timer calls it.
    bool DrawWindFrame(double seconds);
    // The view shows the tree moved by the wind (not at rest).
    bool ShowsWind() const { return windShown_; }

    // While a slider moves (a drag, a wheel burst, a held key: edits less than
    // kDragPauseMilliseconds apart) and drawing all of the design would not fit
    // the frame budget, the view draws a lighter level of it; the moment the
    // drag ends (released, or no edit for that long) it draws all of it again.
    static constexpr long kDragPauseMilliseconds = 150;
    void SetLighterWhileDragging(bool on);
    bool LighterWhileDragging() const { return lighterWhileDragging_; }
    // The share of the design the last frame drew (1: all of it).
    double ShownDetail() const { return scene_.Detail(); }
    // The measured frames the lighter level is chosen by; tests set its budget.
    grovewright::DragDetail& DragFrames() { return dragDetail_; }

private:
    // The tree at rest again in place of the moved one.
    void ShowRest();
    // Redraws after a design change, with the lists it made stale rebuilt.
    void OnDesignChange(const grovewright::DesignChange& change);
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);
    // Makes the context current, creating it on first use; false while hidden.
    bool MakeCurrent();
    void ViewportSize(int& width, int& height) const;
    // Builds the stale lists, with a progress dialog once it takes a while; false when cancelled.
    bool BuildLists();
    // A value's edit that regrew something (what a slider makes).
    static bool IsSliderEdit(const grovewright::DesignChange& change);
    // The share of the design an edit is drawn with: lighter within a drag when all would not fit.
    double DetailFor(const grovewright::DesignChange& change);
    // The whole design again after a drag.
    void ShowFullDetail();

    wxWindow* parent_;
    grovewright::TreeDesign& design_;
    TextureManager& textures_;
    std::unique_ptr<wxGLContext> context_;
    // Declared after the context: its lists are deleted while the context exists.
    SceneRenderer scene_;
    int sideColumn_ = 300;  // width of the settings column right of the view
    long progressDelay_ = 500;
    // A build is running: a paint that comes while its progress dialog runs waits.
    bool building_ = false;
    bool stopped_ = false;
    long framesShown_ = 0;
    std::function<void()> buildCancelled_;
    int lastX_ = 0, lastY_ = 0;
    bool windOn_ = false;
    int windStrength_ = 50;
    bool windShown_ = false;
    // Made from the design when the preview first needs it after an edit.
    std::unique_ptr<grovewright::WindAnimation> wind_;
    grovewright::TreeModel windPose_;
    std::function<bool()> windPausedWhile_;
    // One shot a frame, each timed from the start of the frame before, so that
    // the drawing's own time does not slow the preview below 30 frames a second.
    wxTimer windTimer_;
    long nextWindFrame_ = 0;  // windClock_'s milliseconds at which the next frame is due
    wxStopWatch windClock_;
    long lastEdit_ = -1000;  // windClock_'s milliseconds at the last edit
    bool lighterWhileDragging_ = true;
    grovewright::DragDetail dragDetail_;
    // Fires when a drag has rested for kDragPauseMilliseconds.
    wxTimer dragPause_;
    wxStopWatch stepClock_;
    long lastStep_ = -kDragPauseMilliseconds;  // stepClock_'s milliseconds at the end of the last slider edit
};
