#include "render/gui/GrovewrightDrawPanelGL.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <utility>

#include "render/MeshBuilder.h"
#include "render/gl/BillboardRenderer.h"
#include "generators/DesignSize.h"
#include "render/gui/DelayedProgress.h"

namespace {

// The timers' ids: each has a handler of its own.
constexpr int kWindTimerId = 1, kDragPauseTimerId = 2;

}  // namespace

GrovewrightDrawPanelGL::GrovewrightDrawPanelGL(wxWindow* parent, wxWindowID id, const wxPoint& position,
                                               const wxSize& size, long style, const wxString& name,
                                               const int* attributes, grovewright::TreeDesign& design,
                                               TextureManager& textures)
    : wxGLCanvas(parent, id, attributes, position, size, style | wxFULL_REPAINT_ON_RESIZE, name),
      parent_(parent),
      design_(design),
      textures_(textures),
      scene_(design.Skeleton(), design.Leaves(), design.View(), textures) {
    design.AddObserver([this](const grovewright::DesignChange& change) { OnDesignChange(change); });
    Bind(wxEVT_PAINT, &GrovewrightDrawPanelGL::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});  // no flicker
    windTimer_.SetOwner(this, kWindTimerId);
    dragPause_.SetOwner(this, kDragPauseTimerId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ShowFullDetail(); }, kDragPauseTimerId);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (!windOn_) return;
        const long now = windClock_.Time();
        // 30 frames a second: the next one is due a frame after this one was,
        // unless drawing fell behind by more than a frame.
        nextWindFrame_ = std::max(nextWindFrame_ + kWindFrameMilliseconds, now + 1);
        DrawWindFrame(now / 1000.0);
        windTimer_.StartOnce(static_cast<int>(std::max(1L, nextWindFrame_ - windClock_.Time())));
    }, kWindTimerId);
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_RIGHT_DOWN,
                      wxEVT_RIGHT_UP, wxEVT_MOTION, wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DCLICK,
                      wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL})
        Bind(type, &GrovewrightDrawPanelGL::OnMouse, this);
}

GrovewrightDrawPanelGL::~GrovewrightDrawPanelGL() {
    // The scene deletes its lists after this body, in this context.
    if (context_) SetCurrent(*context_);
}

void GrovewrightDrawPanelGL::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Render();
}

void GrovewrightDrawPanelGL::ViewportSize(int& width, int& height) const {
    parent_->GetClientSize(&width, &height);
    // A frame narrower than the settings column must not give GL a negative size.
    width = std::max(1, width - sideColumn_);
    height = std::max(1, height);
}

void GrovewrightDrawPanelGL::OnDesignChange(const grovewright::DesignChange& change) {
    if (change.dragEnded) {
        // The next edit starts a gesture of its own.
        lastStep_ = stepClock_.Time() - kDragPauseMilliseconds;
        ShowFullDetail();
        return;
    }
    if (change.lightChanged) {
        const grovewright::LightSettings& light = design_.Light();
        SetAmbient(light.ambient);
        SetDiffuse(light.diffuse);
        SetLightPosition(light.position[0], light.position[1], light.position[2]);
    } else if (change.stale == grovewright::kStaleNothing) {
        return;
    } else {
        scene_.SetHint({});
    }
    scene_.SetDetail(DetailFor(change));
    if (change.stale & grovewright::kStaleTreeMesh) scene_.InvalidateTree();
    if (change.stale & grovewright::kStaleLeafMesh) {
        if (change.leafPolygonsChanged)
            scene_.InvalidateLeaves(*change.leafPolygonsChanged);
        else
            scene_.InvalidateLeaves();
    }
    if (change.stale != grovewright::kStaleNothing) {
        // The wind waits until the edits are over, then moves the new tree.
        lastEdit_ = windClock_.Time();
        wind_.reset();
        ShowRest();
    }
    const wxStopWatch frame;
    const long before = framesShown_;
    Render();
    // What the new meshes and the frame cost, for the next drag step's choice.
    if (framesShown_ > before && change.stale != grovewright::kStaleNothing && scene_.RenderMode() != kLine)
        dragDetail_.Measured(frame.TimeInMicro().ToDouble() / 1000.0,
                             static_cast<std::size_t>(scene_.TreeTriangles() + scene_.LeafTriangles()),
                             scene_.Detail() < 1.0);
    // The pause that ends a drag runs from the end of its last frame: the user's
    // next move comes after it, however long it took.
    if (IsSliderEdit(change)) lastStep_ = stepClock_.Time();
    if (scene_.Detail() < 1.0) dragPause_.StartOnce(kDragPauseMilliseconds);
}

bool GrovewrightDrawPanelGL::IsSliderEdit(const grovewright::DesignChange& change) {
    return change.parameter && change.valuesChanged && change.stale != grovewright::kStaleNothing;
}

double GrovewrightDrawPanelGL::DetailFor(const grovewright::DesignChange& change) {
    if (!IsSliderEdit(change)) return 1.0;
    const bool continuing = change.dragging || stepClock_.Time() - lastStep_ < kDragPauseMilliseconds;
    if (!continuing || !lighterWhileDragging_ || scene_.RenderMode() == kLine) return 1.0;
    const grovewright::DesignSize size =
        grovewright::MeasureDesign(design_.Generator(design_.ActiveGenerator()), design_.LeafModel());
    return dragDetail_.ShareFor(size.Triangles(scene_.RenderMode() == kFull3D), change.rebuildMilliseconds);
}

void GrovewrightDrawPanelGL::ShowFullDetail() {
    dragPause_.Stop();
    if (scene_.Detail() == 1.0) return;
    scene_.SetDetail(1.0);
    Render();
}

void GrovewrightDrawPanelGL::SetLighterWhileDragging(bool on) {
    lighterWhileDragging_ = on;
    if (!on) ShowFullDetail();
}

void GrovewrightDrawPanelGL::SetWind(bool on) {
    windOn_ = on;
    if (on) {
        windClock_.Start();
        lastEdit_ = -1000;
        nextWindFrame_ = 0;
        windTimer_.StartOnce(kWindFrameMilliseconds);
        return;
    }
    windTimer_.Stop();
    wind_.reset();
    ShowRest();
    Render();
}

void GrovewrightDrawPanelGL::ShowRest() {
    if (!windShown_) return;
    scene_.InvalidateTree();
    scene_.InvalidateLeaves();
    windShown_ = false;
}

bool GrovewrightDrawPanelGL::DrawWindFrame(double seconds) {
    // Paused: off, no strength, another mode, an edit just now or in progress, a dialog over the window.
    const bool paused = !windOn_ || windStrength_ == 0 || scene_.RenderMode() != kFull3D || design_.Editing() ||
                        windClock_.Time() - lastEdit_ < 400 || !IsEnabled() || building_ ||
                        (windPausedWhile_ && windPausedWhile_());
    if (paused || !MakeCurrent()) {
        if (windShown_) {
            ShowRest();
            Render();
        }
        return false;
    }
    if (!wind_) {
        wind_ = std::make_unique<grovewright::WindAnimation>(design_.Skeleton(), design_.Leaves(), design_.LeafModel(),
                                                             design_.View());
        windPose_ = grovewright::TreeModel();
    }
    wind_->Pose(seconds, windStrength_ / 100.0, windPose_);
    scene_.ShowModel(windPose_);
    windShown_ = true;
    int width, height;
    ViewportSize(width, height);
    scene_.Draw(width, height);
    SwapBuffers();
    ++framesShown_;
    return true;
}

void GrovewrightDrawPanelGL::ShowStartHint() {
    scene_.SetHint({"File > Examples to start from a species,", "or move the Iteration and Height sliders"});
    Render();
}

bool GrovewrightDrawPanelGL::MakeCurrent() {
    if (!IsShownOnScreen()) return false;
    if (!context_) context_ = std::make_unique<wxGLContext>(this);
    SetCurrent(*context_);
    return true;
}

void GrovewrightDrawPanelGL::Render() {
    // While the design grows on another thread its tree is not to be read: the last frame stays.
    if (building_ || stopped_ || design_.Growing() || !MakeCurrent()) return;
    const bool complete = BuildLists();
    if (stopped_) return;
    int width, height;
    ViewportSize(width, height);
    scene_.Draw(width, height);
    SwapBuffers();
    ++framesShown_;
    if (complete) return;
    // The previous tree is still shown: an edit is taken back, anything else
    // leaves the design and shows it in a quicker way.
    if (design_.Editing())
        design_.CancelEdit();
    else if (buildCancelled_)
        buildCancelled_();
}

bool GrovewrightDrawPanelGL::BuildLists() {
    DelayedProgress progress("Building the tree", "Building the tree for the view", wxGetTopLevelParent(this),
                             progressDelay_);
    scene_.SetProgress([&](double done) { return !stopped_ && progress.Update(done) && !stopped_; });
    building_ = true;
    const bool complete = scene_.PrepareLists();
    building_ = false;
    scene_.SetProgress(nullptr);
    return complete;
}

bool GrovewrightDrawPanelGL::PrepareLists() {
    if (building_ || !MakeCurrent()) return false;
    // Whoever takes the lists (the billboard) takes the tree at rest.
    ShowRest();
    return BuildLists();
}

grovewright::PixelImage GrovewrightDrawPanelGL::ReadPixels() {
    if (!MakeCurrent()) return {};
    int width, height;
    ViewportSize(width, height);
    // The back buffer, before the swap: after it the front buffer may read back black.
    scene_.Draw(width, height);
    grovewright::PixelImage image = scene::ReadPixels(width, height);
    SwapBuffers();
    return image;
}

void GrovewrightDrawPanelGL::Redraw(int keepLists) {
    if (keepLists == 0) {
        scene_.InvalidateTree();
        scene_.InvalidateLeaves();
    }
    Render();
}

void GrovewrightDrawPanelGL::SetRenderMode(int mode) {
    scene_.SetRenderMode(mode);
    Render();
}

void GrovewrightDrawPanelGL::ResizeView(int width, int height, int sideColumn) {
    sideColumn_ = sideColumn;
    SetSize(0, 0, std::max(1, width - sideColumn_), std::max(1, height), wxSIZE_AUTO);
    Render();
}

void GrovewrightDrawPanelGL::ResetView() { scene_.View() = SceneRenderer::Camera(); }

void GrovewrightDrawPanelGL::DeleteDisplayLists() {
    if (context_) SetCurrent(*context_);
    scene_.DeleteDisplayLists();
}

void GrovewrightDrawPanelGL::GetLightPosition(float& x, float& y, float& z) const {
    const float* position = scene_.Light().position;
    x = position[0];
    y = position[1];
    z = position[2];
}

void GrovewrightDrawPanelGL::OnMouse(wxMouseEvent& event) {
    if (event.LeftDown() || event.RightDown()) {
        lastX_ = event.GetX();
        lastY_ = event.GetY();
    }
    if (!event.Dragging()) return;
    const int x = event.GetX(), y = event.GetY();
    SceneRenderer::Camera& camera = scene_.View();
    if (event.LeftIsDown()) {
        camera.yaw += 0.25f * (x - lastX_);
        if (y < lastY_) {
            if (event.ShiftDown())
                camera.offset.y = std::max(-25.0, camera.offset.y - 0.01 * (lastY_ - y));
            else if (event.ControlDown())
                camera.pitch = std::min(90.0f, camera.pitch + 1);
        } else if (y > lastY_) {
            if (event.ShiftDown())
                camera.offset.y = std::min(-0.15, camera.offset.y + 0.01 * (y - lastY_));
            else if (event.ControlDown())
                camera.pitch = std::max(-90.0f, camera.pitch - 1);
        }
    }
    if (event.RightIsDown()) {
        if (y < lastY_)
            camera.offset.z = std::min(-1.0, camera.offset.z + 0.025 * (lastY_ - y));
        else if (y > lastY_)
            camera.offset.z = std::max(-50.0, camera.offset.z - 0.025 * (y - lastY_));
    }
    lastX_ = x;
    lastY_ = y;
    Refresh(false);
}

bool GrovewrightDrawPanelGL::DrawImpostorAtlas(const grovewright::ImpostorBox& box,
                                               const grovewright::TreeModel* reduced, grovewright::PixelImage& atlas,
                                               std::string& error) {
    if (!MakeCurrent()) {
        error = "the view is not shown";
        return false;
    }
    int width, height;
    ViewportSize(width, height);
    const int cell = std::min({grovewright::kImpostorCell, width, height});
    const int views = grovewright::kImpostorViews;
    // The tree and leaves (or the reduced level) at rest, textured, whatever the view shows now.
    grovewright::TreeModel model;
    if (reduced) {
        model = *reduced;
    } else {
        grovewright::ModelSink sink(model, grovewright::ModelSink::Order::kView);
        grovewright::MeshBuilder(design_.Skeleton(), design_.Leaves(), design_.View()).BuildTree(sink, true);
    }
    GLMesh tree, stump, leaf;
    tree.SetTriangles(std::move(model.bark));
    stump.SetTriangles(std::move(model.caps));
    leaf.SetTriangles(std::move(model.leaves));
    BillboardScene scene;
    scene.tree = &tree, scene.stump = &stump, scene.leaf = &leaf;
    atlas = grovewright::PixelImage(views * cell, cell, 4);
    for (int view = 0; view < views; ++view) {
        scene::BeginTexturedFrame(scene.clearColour);
        DrawImpostorView(scene, textures_, view, views, 0, cell, box.radius, box.height);
        const grovewright::PixelImage picture = scene::ReadPixels(cell, cell);
        for (int row = 0; row < cell; ++row)
            std::copy_n(picture.At(row, 0), 4 * cell, atlas.At(row, view * cell));
    }
    // The back buffer was never shown: the view draws itself again.
    Render();
    return true;
}
