#pragma once

#include <GL/gl.h>
#include <wx/glcanvas.h>

#include <memory>

#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "render/MeshBuilder.h"
#include "render/TreeViewParameters.h"

namespace grovewright {
class TGDXFFileWriter;
class TGDirectXFileWriter;
}  // namespace grovewright
class TextureManager;

// The OpenGL view: renders the skeleton as lines, a wire frame or a textured,
// lit mesh with leaves on a ground under a sky, turns mouse drags into camera
// moves, and runs the export passes of the mesh builder.
class GrovewrightDrawPanelGL : public wxGLCanvas {
public:
    enum RenderMode { kLine = 0, kWireFrame = 1, kFull3D = 2 };

    GrovewrightDrawPanelGL(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size, long style,
                           const wxString& name, const int* attributes, grovewright::SkeletonLevels& skeleton,
                           grovewright::LeafStore& leaves, grovewright::TGDXFFileWriter& dxfWriter,
                           grovewright::TGDirectXFileWriter& directXWriter, TextureManager& textures);
    ~GrovewrightDrawPanelGL() override;

    void Render();
    void Redraw(int keepLists);
    void SetRenderMode(int mode);
    // The frame's client size and the settings column's width: the canvas takes
    // (0, 0) to (width - sideColumn, height), at least 1 x 1.
    void ResizeView(int width, int height, int sideColumn);
    void ResetView();
    void DeleteDisplayLists();
    // One pass of the mesh builder into the open DirectX or DXF writer.
    void ExportDirectX(bool withLeaves) { ExportPass(true, withLeaves); }
    void ExportDXF(bool withLeaves) { ExportPass(false, withLeaves); }
    // Told the share of an export pass done; returning false stops the pass.
    void SetExportProgress(grovewright::MeshBuilder::Progress progress) { exportProgress_ = std::move(progress); }
    // Whether the last export pass was stopped (its file is unfinished).
    bool ExportCancelled() const { return exportCancelled_; }

    // The tree values the mesh builder uses; out-of-range values are ignored.
    void SetDiameter(int v) { treeValues_.SetDiameter(v); }
    void SetDiameterReduction(int v) { treeValues_.SetDiameterReduction(v); }
    void SetDivision(int v) { treeValues_.SetDivision(v); }
    void SetOrientationAngle(int v) { treeValues_.SetOrientationAngle(v); }
    void SetObliqueAngle(int v) { treeValues_.SetObliqueAngle(v); }
    grovewright::TreeViewParameters& TreeValues() { return treeValues_; }

    // Light colours (0..1; others ignored) and the light position.
    void SetAmbient(float v);
    void SetDiffuse(float v);
    void SetSpecular(float v);
    void SetLightPosition(float x, float y, float z);
    bool IsLightingOn() const { return lightingOn_; }
    void SetLightingOn(bool on) { lightingOn_ = on; }

    float GetYaw() const { return yaw_; }
    float GetPitch() const { return pitch_; }
    const grovewright::Vector3D& GetCameraOffset() const { return cameraOffset_; }
    float GetAmbient() const { return ambient_[0]; }
    float GetDiffuse() const { return diffuse_[0]; }
    float GetSpecular() const { return specular_[0]; }
    void GetLightPosition(float& x, float& y, float& z) const;
    GLuint GetTreeList() const { return treeList_; }
    GLuint GetStumpList() const { return stumpList_; }
    GLuint GetLeafList() const { return leafList_; }
    int GetRenderMode() const { return renderMode_; }
    int GetTreeTriangles() const { return treeTriangles_; }
    int GetLeafTriangles() const { return leafTriangles_; }
    bool ListsValid() const { return listsValid_ != 0; }
    // The context that owns the display lists and textures; null before the first frame.
    wxGLContext* GetContext() const { return context_.get(); }

private:
    void ExportPass(bool toDirectX, bool withLeaves);
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);
    void BuildTree();
    void BuildLeafList();
    void DrawSkeletonLines();
    void BuildGroundList();
    void BuildSkyList();
    void BuildFontLists();
    void DrawOverlayText(int dx, int dy);
    void DrawFull3D();
    void ViewportSize(int& width, int& height) const;
    static void DeleteList(GLuint& list, GLsizei count = 1);

    wxWindow* parent_;
    grovewright::TGDXFFileWriter& dxfWriter_;
    grovewright::TGDirectXFileWriter& directXWriter_;
    TextureManager& textures_;
    grovewright::SkeletonLevels& skeleton_;
    grovewright::LeafStore& leaves_;
    grovewright::TreeViewParameters treeValues_;
    std::unique_ptr<wxGLContext> context_;

    int renderMode_ = kLine;
    int sideColumn_ = 300;  // width of the settings column right of the view
    int treeTriangles_ = 0;
    int leafTriangles_ = 0;
    bool lightingOn_ = false;
    int listsValid_ = 0;
    GLuint treeList_ = 0, groundList_ = 0, leafList_ = 0, stumpList_ = 0, skyList_ = 0, fontBase_ = 0;
    bool exportPass_ = false, exportToDirectX_ = false, exportWithLeaves_ = false, exportCancelled_ = false;
    bool exportRunning_ = false;
    grovewright::MeshBuilder::Progress exportProgress_;

    float diffuse_[4] = {1, 1, 1, 1};
    float ambient_[4] = {1, 1, 1, 1};
    float globalAmbient_[4] = {0, 0, 0, 1};
    float specular_[4] = {1, 1, 1, 1};
    float lightPosition_[4] = {0, 0, 0, 0};  // w = 0: a directional light

    int lastX_ = 0, lastY_ = 0;
    float yaw_ = 0, pitch_ = 0;
    grovewright::Vector3D cameraOffset_{0, -5, -25};
};
