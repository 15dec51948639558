#include "render/gl/SceneRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "render/LevelsOfDetail.h"
#include "render/MeshBuilder.h"
#include "render/ViewTransform.h"
#include "render/ModelSink.h"
#include "render/gl/TextureManager.h"

using grovewright::Vector3D;

namespace {

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

void DrawTreeMeshes(TextureManager& textures, const GLMesh* tree, const GLMesh* stump, const GLMesh* leaf) {
    if (tree && !tree->Empty()) {
        textures.BindTrunkTexture();
        tree->Draw();
    }
    if (stump && !stump->Empty()) {
        textures.BindStumpTexture();
        stump->Draw();
    }
    if (leaf && !leaf->Empty()) {
        glDisable(GL_CULL_FACE);
        textures.BindLeafTexture();
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.7f);
        leaf->Draw();
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

SceneRenderer::~SceneRenderer() { DeleteDisplayLists(); }

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
    // Built before anything is drawn: a cancelled build leaves the previous meshes to draw.
    PrepareLists();
    scene::LoadPerspective(width, height);
    glRotatef(camera_.pitch, 1, 0, 0);
    glTranslated(camera_.offset.x, camera_.offset.y, camera_.offset.z);
    glRotatef(camera_.yaw, 0, 1, 0);

    switch (renderMode_) {
        case kLine:
            glColor3f(0, 0, 0);
            tree_.Draw();
            if (skeleton_.Empty() && !hint_.empty()) DrawHint();
            break;
        case kWireFrame:
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glFrontFace(GL_CW);
            tree_.Draw();
            if (!stump_.Empty()) {
                glFrontFace(GL_CCW);
                stump_.Draw();
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
    // The new meshes are made beside the shown ones and take their place only
    // when every stale one is complete: tree and leaves always belong together.
    const bool treeStale = !treeListValid_, leavesStale = renderMode_ == kFull3D && !leafListValid_;
    if (detail_ < 1 && (treeStale || leavesStale)) {
        BuildLighterModels();
        return true;
    }
    grovewright::TreeModel model;
    if (treeStale && !BuildTreeModel(model)) {
        // The previous meshes stay shown: the design goes back to what they show.
        treeListValid_ = leafListValid_ = true;
        leafRewrite_.reset();
        return false;
    }
    const bool leavesRewritten = leavesStale && !treeStale && leafRewrite_ && RewriteLeafMesh(*leafRewrite_);
    leafRewrite_.reset();
    if (leavesRewritten) {
        leafListValid_ = true;
    } else if (leavesStale) {
        BuildLeafModel(model);
    }
    if (treeStale) TakeTreeMeshes(model);
    if (leavesStale && !leavesRewritten) {
        leafTriangles_ = static_cast<int>(model.leaves.TriangleCount());
        leaf_.SetTriangles(std::move(model.leaves));
        leafListValid_ = true;
    }
    return true;
}

void SceneRenderer::SetDetail(double share) {
    if (share == detail_) return;
    detail_ = share;
    InvalidateTree();
    InvalidateLeaves();
}

void SceneRenderer::BuildLighterModels() {
    const bool withLeaves = renderMode_ == kFull3D;
    const grovewright::LevelsOfDetail levels(skeleton_, leaves_, view_, {}, withLeaves);
    grovewright::TreeModel model;
    treeTriangles_ = levels.BuildPlan(levels.PlanFor(detail_), model, false, grovewright::ModelSink::Order::kView);
    leafTriangles_ = static_cast<int>(model.leaves.TriangleCount());
    TakeTreeMeshes(model);
    leaf_.SetTriangles(std::move(model.leaves));
    leafListValid_ = true;
    leafRewrite_.reset();
}

void SceneRenderer::TakeTreeMeshes(grovewright::TreeModel& model) {
    if (renderMode_ == kWireFrame) {
        tree_.SetColouredTriangles(std::move(model.bark), grovewright::kWireBottomColour, grovewright::kWireTopColour);
        stump_.SetColouredTriangles(std::move(model.caps), grovewright::kWireTopColour, grovewright::kWireTopColour);
    } else {
        tree_.SetTriangles(std::move(model.bark));
        stump_.SetTriangles(std::move(model.caps));
    }
    treeListValid_ = true;
}

void SceneRenderer::InvalidateLeaves(const std::vector<std::uint32_t>& changed) {
    if (leafListValid_) {
        leafListValid_ = false;
        leafRewrite_ = changed;
    } else if (leafRewrite_) {
        // Stale already in other polygons: those and these, unless that comes
        // to more than making the mesh anew (edits piling up while it is not drawn).
        leafRewrite_->insert(leafRewrite_->end(), changed.begin(), changed.end());
        if (leaves_.ListCount() != 1 || leafRewrite_->size() > leaves_[0].size()) leafRewrite_.reset();
    }
}

bool SceneRenderer::RewriteLeafMesh(const std::vector<std::uint32_t>& changed) {
    if (leaves_.ListCount() != 1) return false;
    grovewright::TreeModel model;
    if (!leaf_.TakePart(model.leaves)) return false;
    if (!grovewright::ModelSink(model, grovewright::ModelSink::Order::kView)
             .RewriteLeaves(leaves_[0], grovewright::ViewTransform(view_), changed))
        return false;
    leaf_.SetTriangles(std::move(model.leaves));
    return true;
}

void SceneRenderer::ShowModel(const grovewright::TreeModel& model) {
    tree_.SetTriangles(model.bark);
    stump_.SetTriangles(model.caps);
    leaf_.SetTriangles(model.leaves);
    treeTriangles_ = static_cast<int>(model.bark.TriangleCount() + model.caps.TriangleCount());
    leafTriangles_ = static_cast<int>(model.leaves.TriangleCount());
    treeListValid_ = leafListValid_ = true;
}

void SceneRenderer::DrawFull3D() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CW);
    scene::ApplyLight(light_);
    // Nearest first, the sky last: the depth test then spares the ground and
    // the sky every pixel the tree covers, which a renderer on the processor
    // would otherwise texture only to paint over. They pass only where nearer,
    // so that where depths tie (the horizon, the foot) the picture is the one
    // drawing them first would make.
    scene::DrawTreeMeshes(textures_, &tree_, &stump_, &leaf_);
    if (showFigure_) {
        // Left of everything the tree holds, with a step of room.
        std::optional<float> left;
        for (const GLMesh* mesh : {&tree_, &stump_, &leaf_})
            if (!mesh->Empty()) left = std::min(left.value_or(mesh->Left()), mesh->Left());
        DrawFigure(left.value_or(0.0f) - 0.8f);
    }
    glDepthFunc(GL_LESS);
    if (groundList_ == 0) BuildGroundList();
    textures_.BindGroundTexture();
    glCallList(groundList_);
    if (skyList_ == 0) BuildSkyList();
    textures_.BindSkyTexture();
    glCallList(skyList_);
    glDepthFunc(GL_LEQUAL);
    if (!showCounts_) return;
    if (fontBase_ == 0) BuildFontLists();
    textures_.BindFontTexture();
    DrawOverlayText(1, -1);
}

void SceneRenderer::DrawFigure(float x) {
    // Boxes of a person facing the camera, in metres: legs, body, arms, head.
    struct Box {
        float left, right, bottom, top, depth;
    };
    constexpr Box kParts[] = {{-0.17f, -0.03f, 0.0f, 0.86f, 0.14f}, {0.03f, 0.17f, 0.0f, 0.86f, 0.14f},
                              {-0.2f, 0.2f, 0.84f, 1.5f, 0.22f},    {-0.3f, -0.21f, 0.8f, 1.46f, 0.1f},
                              {0.21f, 0.3f, 0.8f, 1.46f, 0.1f},     {-0.1f, 0.1f, 1.54f, 1.8f, 0.2f}};
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glColor3f(0.25f, 0.27f, 0.3f);
    glBegin(GL_QUADS);
    for (const Box& box : kParts) {
        const float x0 = x + box.left, x1 = x + box.right, y0 = box.bottom, y1 = box.top, z = box.depth / 2;
        // Front, back, the two sides and the top.
        const float faces[5][4][3] = {{{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}},
                                      {{x1, y0, -z}, {x1, y1, -z}, {x0, y1, -z}, {x0, y0, -z}},
                                      {{x0, y0, -z}, {x0, y1, -z}, {x0, y1, z}, {x0, y0, z}},
                                      {{x1, y0, z}, {x1, y1, z}, {x1, y1, -z}, {x1, y0, -z}},
                                      {{x0, y1, z}, {x0, y1, -z}, {x1, y1, -z}, {x1, y1, z}}};
        const float normals[5][3] = {{0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        for (int f = 0; f < 5; ++f) {
            glNormal3fv(normals[f]);
            for (const auto& corner : faces[f]) glVertex3fv(corner);
        }
    }
    glEnd();
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
}

bool SceneRenderer::BuildTreeModel(grovewright::TreeModel& model) {
    grovewright::MeshBuilder builder(skeleton_, leaves_, view_);
    if (progress_) builder.SetProgress([this](double done) { return progress_(done * kTreeShare); });
    grovewright::ModelSink sink(model, grovewright::ModelSink::Order::kView);
    const int triangles = builder.BuildTree(sink, false);
    if (builder.Cancelled()) return false;
    treeTriangles_ = triangles;
    return true;
}

void SceneRenderer::BuildLeafModel(grovewright::TreeModel& model) {
    if (leaves_.Empty()) return;
    grovewright::ModelSink(model, grovewright::ModelSink::Order::kView)
        .Leaves(leaves_[0], grovewright::ViewTransform(view_));
}

void SceneRenderer::UpdateSkeletonLines() {
    if (treeListValid_) return;
    treeListValid_ = true;
    std::vector<float> points;
    auto add = [&points](const Vector3D& p) {
        points.insert(points.end(), {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    };
    grovewright::MeshBuilder(skeleton_, leaves_, view_).BuildSkeletonLines([&](const Vector3D& start, const Vector3D& end) {
        add(start);
        add(end);
    });
    tree_.SetLines(std::move(points));
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
    InvalidateTree();
    InvalidateLeaves();
}

void SceneRenderer::DeleteDisplayLists() {
    DeleteList(groundList_);
    tree_.Clear();
    leaf_.Clear();
    DeleteList(skyList_);
    DeleteList(fontBase_, 256);
    InvalidateTree();
    InvalidateLeaves();
}
