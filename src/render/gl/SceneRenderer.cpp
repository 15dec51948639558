#include "render/gl/SceneRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/MeshBuilder.h"
#include "render/ViewTransform.h"
#include "render/gl/GLListSink.h"
#include "render/gl/TextureManager.h"

using grovewright::Vector3D;

namespace {

void Vertex(const Vector3D& p) { glVertex3d(p.x, p.y, p.z); }

void SetGrey(float* colour, float v) {
    if (v < 0 || v > 1) return;
    colour[0] = colour[1] = colour[2] = v;
}

}  // namespace

void LightValues::SetAmbient(float v) {
    SetGrey(ambient, v);
    SetGrey(modelAmbient, v);
}

void LightValues::SetDiffuse(float v) { SetGrey(diffuse, v); }

void LightValues::SetSpecular(float v) { SetGrey(specular, v); }

void LightValues::SetPosition(float x, float y, float z) {
    position[0] = x;
    position[1] = y;
    position[2] = z;
}

namespace scene {

void LoadPerspective(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The matrix of a 45-degree vertical field of view, as the GL utility library builds it.
    constexpr double kNear = 0.1, kFar = 100.0, kHalfAngle = 45.0 / 2 * 3.14159265358979323846 / 180;
    const double cotangent = std::cos(kHalfAngle) / std::sin(kHalfAngle);
    const double aspect = static_cast<double>(width) / height;
    const double depth = kFar - kNear;
    const double matrix[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(kFar + kNear) / depth, -1,
                               0, 0, -2 * kNear * kFar / depth, 0};
    glMultMatrixd(matrix);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void BeginTexturedFrame(const float clear[4]) {
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ApplyLight(const LightValues& light) {
    glLightfv(GL_LIGHT0, GL_AMBIENT, light.ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light.diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light.specular);
    glLightfv(GL_LIGHT0, GL_POSITION, light.position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, light.modelAmbient);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    if (light.on) {
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
    } else {
        glDisable(GL_LIGHTING);
    }
}

void DrawTreeLists(TextureManager& textures, GLuint tree, GLuint stump, GLuint leaf) {
    if (tree != 0) {
        textures.BindTrunkTexture();
        glCallList(tree);
    }
    if (stump != 0) {
        textures.BindStumpTexture();
        glCallList(stump);
    }
    if (leaf != 0) {
        glDisable(GL_CULL_FACE);
        textures.BindLeafTexture();
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.7f);
        glCallList(leaf);
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_CULL_FACE);
    }
}

grovewright::PixelImage ReadPixels(int width, int height) {
    grovewright::PixelImage image(width, height, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

}  // namespace scene

SceneRenderer::~SceneRenderer() {
    DeleteDisplayLists();
    DeleteList(stumpList_);
}

void SceneRenderer::DeleteList(GLuint& list, GLsizei count) {
    if (list != 0) glDeleteLists(list, count);
    list = 0;
}

void SceneRenderer::Draw(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (renderMode_ == kFull3D) {
        constexpr float kBlack[4] = {0, 0, 0, 1};
        scene::BeginTexturedFrame(kBlack);
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
    }
    // Built before anything is drawn: a cancelled build leaves the previous lists to draw.
    PrepareLists();
    scene::LoadPerspective(width, height);
    glRotatef(camera_.pitch, 1, 0, 0);
    glTranslated(camera_.offset.x, camera_.offset.y, camera_.offset.z);
    glRotatef(camera_.yaw, 0, 1, 0);

    switch (renderMode_) {
        case kLine:
            if (treeList_ != 0) glCallList(treeList_);
            if (skeleton_.Empty() && !hint_.empty()) DrawHint();
            break;
        case kWireFrame:
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glFrontFace(GL_CW);
            if (treeList_ != 0) glCallList(treeList_);
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
}

bool SceneRenderer::PrepareLists() {
    if (renderMode_ == kLine) {
        UpdateSkeletonLines();
        return true;
    }
    // The new lists are built beside the shown ones and take their place only
    // when every stale one is complete: tree and leaves always belong together.
    Lists built;
    const bool complete = BuildTreeList(built) && (renderMode_ != kFull3D || BuildLeafList(built));
    if (!complete) {
        DeleteList(built.tree);
        DeleteList(built.stump);
        DeleteList(built.leaf);
        // The previous lists stay shown: the design goes back to what they show.
        treeListValid_ = leafListValid_ = true;
        return false;
    }
    if (built.hasTree) {
        DeleteList(treeList_);
        DeleteList(stumpList_);
        treeList_ = built.tree, stumpList_ = built.stump, treeTriangles_ = built.treeTriangles;
        treeListValid_ = true;
    }
    if (built.hasLeaves) {
        DeleteList(leafList_);
        leafList_ = built.leaf, leafTriangles_ = built.leafTriangles;
        leafListValid_ = true;
    }
    return true;
}

void SceneRenderer::DrawFull3D() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CW);
    scene::ApplyLight(light_);
    if (skyList_ == 0) BuildSkyList();
    textures_.BindSkyTexture();
    glCallList(skyList_);
    if (groundList_ == 0) BuildGroundList();
    textures_.BindGroundTexture();
    glCallList(groundList_);
    scene::DrawTreeLists(textures_, treeList_, stumpList_, leafList_);
    if (fontBase_ == 0) BuildFontLists();
    textures_.BindFontTexture();
    DrawOverlayText(1, -1);
}

bool SceneRenderer::BuildTreeList(Lists& built) {
    if (treeListValid_) return true;
    grovewright::MeshBuilder builder(skeleton_, leaves_, view_);
    if (progress_) builder.SetProgress([this](double done) { return progress_(done * kTreeShare); });
    {
        // The sink closes a list that a cancelled build left open.
        GLListSink sink(renderMode_ == kWireFrame ? GLListSink::Style::WireFrame : GLListSink::Style::Full3D,
                        !skeleton_.Empty(), built.tree, built.stump);
        built.treeTriangles = builder.BuildTree(sink, false);
    }
    built.hasTree = true;
    return !builder.Cancelled();
}

bool SceneRenderer::BuildLeafList(Lists& built) {
    if (leafListValid_) return true;
    built.hasLeaves = true;
    if (leaves_.Empty()) return true;
    const grovewright::ViewTransform transform(view_);
    const auto& polygons = leaves_[0];
    const double count = static_cast<double>(std::max<std::size_t>(1, polygons.size()));
    built.leaf = glGenLists(1);
    glNewList(built.leaf, GL_COMPILE);
    std::size_t done = 0;
    bool complete = true;
    for (const grovewright::LeafPolygon& polygon : polygons) {
        if (progress_ && ++done % kLeavesPerReport == 0 &&
            !progress_(kTreeShare + (1 - kTreeShare) * static_cast<double>(done) / count)) {
            complete = false;
            break;
        }
        glBegin(static_cast<GLenum>(polygon.PrimitiveMode()));
        built.leafTriangles += grovewright::LeafTriangleCount(polygon);
        for (int i = 0; i < polygon.VertexCount(); ++i) {
            const Vector3D normal = transform.LeafNormal(polygon[i]);
            glNormal3d(normal.x, normal.y, normal.z);
            glTexCoord2f(polygon[i].u, polygon[i].v);
            Vertex(transform.LeafPoint(polygon[i]));
        }
        glEnd();
    }
    glEndList();
    return complete;
}

void SceneRenderer::UpdateSkeletonLines() {
    if (treeListValid_) return;
    treeListValid_ = true;
    DeleteList(treeList_);
    if (skeleton_.Empty()) return;
    treeList_ = glGenLists(1);
    glNewList(treeList_, GL_COMPILE);
    glBegin(GL_LINES);
    glColor3f(0, 0, 0);
    grovewright::MeshBuilder(skeleton_, leaves_, view_)
        .BuildSkeletonLines([](const Vector3D& start, const Vector3D& end) {
            Vertex(start);
            Vertex(end);
        });
    glEnd();
    glEndList();
}

void SceneRenderer::BuildGroundList() {
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

void SceneRenderer::BuildSkyList() {
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

void SceneRenderer::BuildFontLists() {
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

template <typename Text>
void SceneRenderer::DrawScreenText(GLenum sourceFactor, GLenum destinationFactor, Text&& draw) {
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
    glBlendFunc(sourceFactor, destinationFactor);
    glListBase(fontBase_ - 32);
    draw(viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

void SceneRenderer::DrawOverlayText(int dx, int dy) {
    if (light_.on) glDisable(GL_LIGHTING);
    DrawScreenText(GL_SRC_ALPHA, GL_ONE, [&](int) {
        const std::string lines[3] = {"Triangles", "Tree: " + std::to_string(treeTriangles_),
                                      "Leafs: " + std::to_string(leafTriangles_)};
        const int rows[3] = {40, 26, 12};
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
    });
    if (light_.on) glEnable(GL_LIGHTING);
}

void SceneRenderer::DrawHint() {
    if (fontBase_ == 0) BuildFontLists();
    glEnable(GL_TEXTURE_2D);
    textures_.BindFontTexture();
    // The glyphs are white on black: the white background is darkened where they are.
    DrawScreenText(GL_ZERO, GL_ONE_MINUS_SRC_COLOR, [&](int height) {
        glColor3f(0.75f, 0.75f, 0.75f);
        for (std::size_t i = 0; i < hint_.size(); ++i) {
            glLoadIdentity();
            glTranslated(10, height - 24 - 16 * static_cast<double>(i), 0);
            glCallLists(static_cast<GLsizei>(hint_[i].size()), GL_UNSIGNED_BYTE, hint_[i].data());
        }
    });
    glDisable(GL_TEXTURE_2D);
}

void SceneRenderer::SetRenderMode(int mode) {
    renderMode_ = (mode >= kLine && mode <= kFull3D) ? mode : kLine;
    treeListValid_ = leafListValid_ = false;
}

void SceneRenderer::DeleteDisplayLists() {
    DeleteList(groundList_);
    DeleteList(treeList_);
    DeleteList(leafList_);
    DeleteList(skyList_);
    DeleteList(fontBase_, 256);
    treeListValid_ = leafListValid_ = false;
}
