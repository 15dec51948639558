#include "render/gui/GrovewrightDrawPanelGL.h"

#include <GL/glu.h>
#include <wx/dcclient.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "render/MeshBuilder.h"
#include "render/gui/GLListSink.h"
#include "render/gui/TextureManager.h"

using grovewright::Vector3D;

namespace {

void Vertex(const Vector3D& p) { glVertex3d(p.x, p.y, p.z); }

}  // namespace

GrovewrightDrawPanelGL::GrovewrightDrawPanelGL(wxWindow* parent, wxWindowID id, const wxPoint& position,
                                               const wxSize& size, long style, const wxString& name,
                                               const int* attributes, grovewright::TreeDesign& design,
                                               TextureManager& textures)
    : wxGLCanvas(parent, id, attributes, position, size, style | wxFULL_REPAINT_ON_RESIZE, name),
      parent_(parent),
      design_(design),
      textures_(textures) {
    design.AddObserver([this](const grovewright::DesignChange& change) { OnDesignChange(change); });
    Bind(wxEVT_PAINT, &GrovewrightDrawPanelGL::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});  // no flicker
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_RIGHT_DOWN,
                      wxEVT_RIGHT_UP, wxEVT_MOTION, wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DCLICK,
                      wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL})
        Bind(type, &GrovewrightDrawPanelGL::OnMouse, this);
}

GrovewrightDrawPanelGL::~GrovewrightDrawPanelGL() {
    if (!context_) return;
    SetCurrent(*context_);
    DeleteList(treeList_);
    DeleteList(groundList_);
    DeleteList(leafList_);
    DeleteList(stumpList_);
    DeleteList(skyList_);
    DeleteList(fontBase_, 256);
}

void GrovewrightDrawPanelGL::DeleteList(GLuint& list, GLsizei count) {
    if (list != 0) glDeleteLists(list, count);
    list = 0;
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
    if (change.lightChanged) {
        const grovewright::LightSettings& light = design_.Light();
        SetAmbient(light.ambient);
        SetDiffuse(light.diffuse);
        SetLightPosition(light.position[0], light.position[1], light.position[2]);
    } else if (change.stale == grovewright::kStaleNothing) {
        return;
    }
    if (change.stale & grovewright::kStaleTreeMesh) treeListValid_ = false;
    if (change.stale & grovewright::kStaleLeafMesh) leafListValid_ = false;
    Render();
}

void GrovewrightDrawPanelGL::Render() {
    if (!IsShownOnScreen()) return;
    if (!context_) context_ = std::make_unique<wxGLContext>(this);
    SetCurrent(*context_);

    if (renderMode_ == kFull3D) {
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glClearColor(0, 0, 0, 1);
        glShadeModel(GL_SMOOTH);
        glClearDepth(1);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    } else {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);
        glShadeModel(GL_SMOOTH);
        glClearDepth(1);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glLoadIdentity();
    }

    int width, height;
    ViewportSize(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(pitch_, 1, 0, 0);
    glTranslated(cameraOffset_.x, cameraOffset_.y, cameraOffset_.z);
    glRotatef(yaw_, 0, 1, 0);

    switch (renderMode_) {
        case kLine:
            DrawSkeletonLines();
            break;
        case kWireFrame:
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glFrontFace(GL_CW);
            BuildTree();
            if (stumpList_ != 0) {
                glFrontFace(GL_CCW);
                glCallList(stumpList_);
            }
            break;
        default:
            DrawFull3D();
            break;
    }
    glFlush();
    SwapBuffers();
}

void GrovewrightDrawPanelGL::DrawFull3D() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CW);
    if (lightingOn_) {
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient_);
        glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient_);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse_);
        glLightfv(GL_LIGHT0, GL_SPECULAR, specular_);
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition_);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
    } else {
        glDisable(GL_LIGHTING);
    }
    if (skyList_ == 0) BuildSkyList();
    textures_.BindSkyTexture();
    glCallList(skyList_);
    if (groundList_ == 0) BuildGroundList();
    textures_.BindGroundTexture();
    glCallList(groundList_);
    textures_.BindTrunkTexture();
    BuildTree();
    if (stumpList_ != 0) {
        textures_.BindStumpTexture();
        glCallList(stumpList_);
    }
    if (!leafListValid_) BuildLeafList();
    if (leafList_ != 0) {
        glDisable(GL_CULL_FACE);
        textures_.BindLeafTexture();
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.7f);
        glCallList(leafList_);
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_CULL_FACE);
    }
    if (fontBase_ == 0) BuildFontLists();
    textures_.BindFontTexture();
    DrawOverlayText(1, -1);
}

void GrovewrightDrawPanelGL::BuildTree() {
    if (!treeListValid_) {
        DeleteList(treeList_);
        DeleteList(stumpList_);
        GLListSink sink(renderMode_ == kWireFrame ? GLListSink::Style::WireFrame : GLListSink::Style::Full3D,
                        !design_.Skeleton().Empty(), treeList_, stumpList_);
        grovewright::MeshBuilder builder(design_.Skeleton(), design_.Leaves(), design_.View());
        treeTriangles_ = builder.BuildTree(sink, false);
        treeListValid_ = true;
    }
    if (treeList_ != 0) glCallList(treeList_);
}

void GrovewrightDrawPanelGL::BuildLeafList() {
    leafTriangles_ = 0;
    DeleteList(leafList_);
    leafListValid_ = true;
    const grovewright::LeafStore& leaves = design_.Leaves();
    if (leaves.Empty()) return;
    const grovewright::ViewTransform transform(design_.View());
    leafList_ = glGenLists(1);
    glNewList(leafList_, GL_COMPILE);
    for (const grovewright::LeafPolygon& polygon : leaves[0]) {
        glBegin(static_cast<GLenum>(polygon.PrimitiveMode()));
        leafTriangles_ += grovewright::LeafTriangleCount(polygon);
        for (int i = 0; i < polygon.VertexCount(); ++i) {
            const Vector3D normal = transform.LeafNormal(polygon[i]);
            glNormal3d(normal.x, normal.y, normal.z);
            glTexCoord2f(polygon[i].u, polygon[i].v);
            Vertex(transform.LeafPoint(polygon[i]));
        }
        glEnd();
    }
    glEndList();
}

void GrovewrightDrawPanelGL::DrawSkeletonLines() {
    if (!treeListValid_) {
        treeListValid_ = true;
        DeleteList(treeList_);
        if (!design_.Skeleton().Empty()) {
            treeList_ = glGenLists(1);
            glNewList(treeList_, GL_COMPILE);
            glBegin(GL_LINES);
            glColor3f(0, 0, 0);
            grovewright::MeshBuilder(design_.Skeleton(), design_.Leaves(), design_.View())
                .BuildSkeletonLines([](const Vector3D& start, const Vector3D& end) {
                    Vertex(start);
                    Vertex(end);
                });
            glEnd();
            glEndList();
        }
    }
    if (treeList_ != 0) glCallList(treeList_);
}

void GrovewrightDrawPanelGL::BuildGroundList() {
    groundList_ = glGenLists(1);
    glNewList(groundList_, GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    const double corners[4][4] = {{-100, -100, 0, 0}, {100, -100, 1, 0}, {-100, 100, 0, 1}, {100, 100, 1, 1}};
    for (const auto& c : corners) {
        glNormal3d(0, 1, 0);
        glTexCoord2d(c[2], c[3]);
        glVertex3d(c[0], 0, c[1]);
    }
    glEnd();
    glEndList();
}

void GrovewrightDrawPanelGL::BuildSkyList() {
    // A dome of radius 45: ring n (1..8) at n x 18.75 degrees from the top, points
    // every 36 degrees, the texture mapped as a polar projection.
    constexpr double kRadius = 45.0;
    auto point = [&](int ring, int step) {
        const double phi = ring * 18.75, a = step * 36.0;
        glNormal3d(0, 1, 0);
        glTexCoord2d(0.5 + ring / 16.0 * grovewright::CosDeg(a), 0.5 - ring / 16.0 * grovewright::SinDeg(a));
        glVertex3d(kRadius * grovewright::SinDeg(phi) * grovewright::CosDeg(a), kRadius * grovewright::CosDeg(phi),
                   -kRadius * grovewright::SinDeg(phi) * grovewright::SinDeg(a));
    };
    skyList_ = glGenLists(1);
    glNewList(skyList_, GL_COMPILE);
    glBegin(GL_TRIANGLE_FAN);
    glNormal3d(0, 1, 0);
    glTexCoord2d(0.5, 0.5);
    glVertex3d(0, kRadius, 0);
    for (int step = 0; step <= 10; ++step) point(1, step);
    glEnd();
    for (int ring = 1; ring <= 7; ++ring) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int k = 0; k <= 10; ++k) {
            point(ring, k);
            point(ring + 1, k + 1);
        }
        glEnd();
    }
    glEndList();
}

void GrovewrightDrawPanelGL::BuildFontLists() {
    fontBase_ = glGenLists(256);
    for (int i = 0; i < 256; ++i) {
        const double s0 = (i % 16) / 16.0, s1 = s0 + 1 / 16.0;
        const double t1 = 1 - (i / 16) / 16.0, t0 = t1 - 1 / 16.0;
        glNewList(fontBase_ + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2d(s1, t0);
        glVertex2i(12, 0);
        glTexCoord2d(s0, t0);
        glVertex2i(0, 0);
        glTexCoord2d(s0, t1);
        glVertex2i(0, 12);
        glTexCoord2d(s1, t1);
        glVertex2i(12, 12);
        glEnd();
        glTranslated(6, 0, 0);
        glEndList();
    }
}

void GrovewrightDrawPanelGL::DrawOverlayText(int dx, int dy) {
    if (lightingOn_) glDisable(GL_LIGHTING);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const std::string lines[3] = {"Triangles", "Tree: " + std::to_string(treeTriangles_),
                                  "Leafs: " + std::to_string(leafTriangles_)};
    const int rows[3] = {40, 26, 12};
    glListBase(fontBase_ - 32);
    for (int i = 0; i < 3; ++i) {
        const GLsizei length = static_cast<GLsizei>(lines[i].size());
        glLoadIdentity();
        glTranslated(2, rows[i], 0);
        glColor3f(0.8f, 0.8f, 0.8f);
        glCallLists(length, GL_UNSIGNED_BYTE, lines[i].data());
        glLoadIdentity();
        glTranslated(2 + dx, rows[i] - dy, 0);
        glColor3f(0, 0, 1);
        glCallLists(length, GL_UNSIGNED_BYTE, lines[i].data());
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    if (lightingOn_) glEnable(GL_LIGHTING);
}

void GrovewrightDrawPanelGL::Redraw(int keepLists) {
    if (keepLists == 0) treeListValid_ = leafListValid_ = false;
    Render();
}

void GrovewrightDrawPanelGL::SetRenderMode(int mode) {
    renderMode_ = (mode >= kLine && mode <= kFull3D) ? mode : kLine;
    Redraw(0);
}

void GrovewrightDrawPanelGL::ResizeView(int width, int height, int sideColumn) {
    sideColumn_ = sideColumn;
    SetSize(0, 0, std::max(1, width - sideColumn_), std::max(1, height), wxSIZE_AUTO);
    Render();
}

void GrovewrightDrawPanelGL::ResetView() {
    yaw_ = 0;
    pitch_ = 0;
    cameraOffset_ = {0, -5, -25};
}

void GrovewrightDrawPanelGL::DeleteDisplayLists() {
    if (context_) SetCurrent(*context_);
    DeleteList(groundList_);
    DeleteList(treeList_);
    DeleteList(leafList_);
    DeleteList(skyList_);
    DeleteList(fontBase_, 256);
}

void GrovewrightDrawPanelGL::SetAmbient(float v) {
    if (v < 0 || v > 1) return;
    ambient_[0] = ambient_[1] = ambient_[2] = v;
    globalAmbient_[0] = globalAmbient_[1] = globalAmbient_[2] = v;
}

void GrovewrightDrawPanelGL::SetDiffuse(float v) {
    if (v < 0 || v > 1) return;
    diffuse_[0] = diffuse_[1] = diffuse_[2] = v;
}

void GrovewrightDrawPanelGL::SetSpecular(float v) {
    if (v < 0 || v > 1) return;
    specular_[0] = specular_[1] = specular_[2] = v;
}

void GrovewrightDrawPanelGL::SetLightPosition(float x, float y, float z) {
    lightPosition_[0] = x;
    lightPosition_[1] = y;
    lightPosition_[2] = z;
}

void GrovewrightDrawPanelGL::GetLightPosition(float& x, float& y, float& z) const {
    x = lightPosition_[0];
    y = lightPosition_[1];
    z = lightPosition_[2];
}

void GrovewrightDrawPanelGL::OnMouse(wxMouseEvent& event) {
    if (event.LeftDown() || event.RightDown()) {
        lastX_ = event.GetX();
        lastY_ = event.GetY();
    }
    if (!event.Dragging()) return;
    const int x = event.GetX(), y = event.GetY();
    if (event.LeftIsDown()) {
        yaw_ += 0.25f * (x - lastX_);
        if (y < lastY_) {
            if (event.ShiftDown())
                cameraOffset_.y = std::max(-25.0, cameraOffset_.y - 0.01 * (lastY_ - y));
            else if (event.ControlDown())
                pitch_ = std::min(90.0f, pitch_ + 1);
        } else if (y > lastY_) {
            if (event.ShiftDown())
                cameraOffset_.y = std::min(-0.15, cameraOffset_.y + 0.01 * (y - lastY_));
            else if (event.ControlDown())
                pitch_ = std::max(-90.0f, pitch_ - 1);
        }
    }
    if (event.RightIsDown()) {
        if (y < lastY_)
            cameraOffset_.z = std::min(-1.0, cameraOffset_.z + 0.025 * (lastY_ - y));
        else if (y > lastY_)
            cameraOffset_.z = std::max(-50.0, cameraOffset_.z - 0.025 * (y - lastY_));
    }
    lastX_ = x;
    lastY_ = y;
    Refresh(false);
}
