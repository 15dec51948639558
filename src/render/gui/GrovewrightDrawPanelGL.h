#pragma once

#include <GL/gl.h>
#include <wx/glcanvas.h>

#include <memory>

#include "generators/TreeDesign.h"

class TextureManager;

// The OpenGL view of the design: renders the skeleton as lines, a wire frame or
// a textured, lit mesh with leaves on a ground under a sky, and turns mouse
// drags into camera moves. It redraws when the design says what changed,
// rebuilding only the display lists the change made stale.
class GrovewrightDrawPanelGL : public wxGLCanvas {
public:
    enum RenderMode { kLine = 0, kWireFrame = 1, kFull3D = 2 };

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

    // The tree values the mesh builder uses (the design's); values outside the
    // view's rule are ignored.
    void SetDiameter(int v) { TreeValues().SetDiameter(v); }
    void SetDiameterReduction(int v) { TreeValues().SetDiameterReduction(v); }
    void SetDivision(int v) { TreeValues().SetDivision(v); }
    void SetOrientationAngle(int v) { TreeValues().SetOrientationAngle(v); }
    void SetObliqueAngle(int v) { TreeValues().SetObliqueAngle(v); }
    grovewright::TreeViewParameters& TreeValues() { return design_.View(); }

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
    bool ListsValid() const { return treeListValid_ && leafListValid_; }
    // The context that owns the display lists and textures; null before the first frame.
    wxGLContext* GetContext() const { return context_.get(); }

private:
    // Redraws after a design change, with the lists it made stale rebuilt.
    void OnDesignChange(const grovewright::DesignChange& change);
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
    grovewright::TreeDesign& design_;
    TextureManager& textures_;
    std::unique_ptr<wxGLContext> context_;

    int renderMode_ = kLine;
    int sideColumn_ = 300;  // width of the settings column right of the view
    int treeTriangles_ = 0;
    int leafTriangles_ = 0;
    bool lightingOn_ = false;
    // The tree's list (its lines in line mode) and the leaves' list are up to date.
    bool treeListValid_ = false;
    bool leafListValid_ = false;
    GLuint treeList_ = 0, groundList_ = 0, leafList_ = 0, stumpList_ = 0, skyList_ = 0, fontBase_ = 0;

    float diffuse_[4] = {1, 1, 1, 1};
    float ambient_[4] = {1, 1, 1, 1};
    float globalAmbient_[4] = {0, 0, 0, 1};
    float specular_[4] = {1, 1, 1, 1};
    float lightPosition_[4] = {0, 0, 0, 0};  // w = 0: a directional light

    int lastX_ = 0, lastY_ = 0;
    float yaw_ = 0, pitch_ = 0;
    grovewright::Vector3D cameraOffset_{0, -5, -25};
};
