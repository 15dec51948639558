#pragma once

#include <GL/gl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "geometry/Vector3D.h"
#include "render/PixelImage.h"
#include "render/TreeViewParameters.h"
#include "render/gl/GLMesh.h"

class TextureManager;

// Light 0 and the light model as GL takes them: four-float colours and a
// directional position (w = 0).
struct LightValues {
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float modelAmbient[4] = {0, 0, 0, 1};
    float specular[4] = {1, 1, 1, 1};
    float position[4] = {0, 0, 0, 0};
    bool on = false;

    // Colours outside 0..1 are ignored. The ambient colour is the model's ambient too.
    void SetAmbient(float v);
    void SetDiffuse(float v);
    void SetSpecular(float v);
    void SetPosition(float x, float y, float z);
};

// The drawing both views share; each needs a current GL context.
namespace scene {
// Viewport (0, 0, width, height) and a 45-degree perspective, near 0.1, far 100.
void LoadPerspective(int width, int height);
// The textured, depth-tested frame: clockwise front faces culled, cleared to the colour.
void BeginTexturedFrame(const float clear[4]);
// Light 0 and the light model from the values, two-sided, colour material for
// ambient and diffuse; lighting enabled when the values say so. Call it after
// the model-view matrix is set: the light's direction is given in world space.
void ApplyLight(const LightValues& light);
// The tree with the bark texture, the stump with the stump texture and the
// leaves alpha-tested (alpha above 0.7) with culling off; a missing or empty mesh is skipped.
void DrawTreeMeshes(TextureManager& textures, const GLMesh* tree, const GLMesh* stump, const GLMesh* leaf);
// The current read buffer's width x height pixels as RGBA, rows from the bottom up.
grovewright::PixelImage ReadPixels(int width, int height);
}  // namespace scene

// The main view's drawing: the skeleton as lines, a wire frame, or a textured,
// lit mesh with leaves on a ground under a sky with the triangle counts over
// it. It keeps the meshes of tree, stump and leaves in vertex arrays (and ground,
// sky and font in display lists) and rebuilds those marked stale when it draws.
// It needs only a current GL context (a window's or an off-screen one); the
// destructor deletes the lists and arrays, so that context must be current then too.
class SceneRenderer {
public:
    enum RenderMode { kLine = 0, kWireFrame = 1, kFull3D = 2 };
    struct Camera {
        float yaw = 0, pitch = 0;
        grovewright::Vector3D offset{0, -5, -25};
    };

    SceneRenderer(const grovewright::SkeletonLevels& skeleton, const grovewright::LeafStore& leaves,
                  const grovewright::TreeViewParameters& view, TextureManager& textures)
        : skeleton_(skeleton), leaves_(leaves), view_(view), textures_(textures) {}
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;
    ~SceneRenderer();

    // Draws the scene of width x height pixels (at least 1 x 1) into the current buffer.
    void Draw(int width, int height);
    // Builds the stale meshes of the current mode without drawing. False when the
    // progress function stopped the build: the previous meshes are kept and
    // count as current (the design goes back to what they show).
    bool PrepareLists();
    // Told how far a list build is (0 to 1) every few thousand pieces; false stops it.
    void SetProgress(std::function<bool(double)> progress) { progress_ = std::move(progress); }
    // Full 3D shows this model (made in the view's order) in place of the
    // design's tree and leaves until they are invalidated: a level of detail, or
    // the tree moved by the wind.
    void ShowModel(const grovewright::TreeModel& model);
    void InvalidateTree() { treeListValid_ = false; }
    void InvalidateLeaves() {
        leafListValid_ = false;
        leafRewrite_.reset();
    }
    // The leaves changed in these polygons of the design's list only, every leaf
    // keeping its place: the leaves' mesh is rewritten there unless it must be
    // made anew anyway.
    void InvalidateLeaves(const std::vector<std::uint32_t>& changed);
    // Line mode when the mode is unknown; every mesh is rebuilt at the next draw.
    void SetRenderMode(int mode);
    void DeleteDisplayLists();

    LightValues& Light() { return light_; }
    const LightValues& Light() const { return light_; }
    Camera& View() { return camera_; }
    const Camera& View() const { return camera_; }

    int RenderMode() const { return renderMode_; }
    // The tree's mesh (its lines in Line mode), the caps of cut branches and the leaves.
    const GLMesh& TreeMesh() const { return tree_; }
    const GLMesh& StumpMesh() const { return stump_; }
    const GLMesh& LeafMesh() const { return leaf_; }
    // Draws about this share (0 to 1) of the design's triangles: the structural
    // reduction of the levels of detail, for a slider's drag. A change of share
    // makes the meshes stale.
    void SetDetail(double share);
    double Detail() const { return detail_; }
    int TreeTriangles() const { return treeTriangles_; }
    int LeafTriangles() const { return leafTriangles_; }
    // The triangle counts written at the top left of Full 3D (on unless turned off).
    void ShowCounts(bool on) { showCounts_ = on; }
    // A person 1.8 m tall standing on the ground left of the meshes shown, in
    // Full 3D, to show the tree's size.
    void ShowFigure(bool on) { showFigure_ = on; }
    // Lines of text drawn in dark grey at the top left of a Line view with no
    // tree yet (the first start); none once cleared.
    void SetHint(std::vector<std::string> lines) { hint_ = std::move(lines); }

private:
    // The stale tree (bark and caps) or leaves into model; false when stopped.
    bool BuildTreeModel(grovewright::TreeModel& model);
    // The meshes of the share detail_ of the design, all at once (no progress:
    // a lighter level is quick to make).
    void BuildLighterModels();
    // Shows the model's bark and caps as the mode draws them (coloured lines in Wire Frame).
    void TakeTreeMeshes(grovewright::TreeModel& model);
    void BuildLeafModel(grovewright::TreeModel& model);
    // Rewrites the leaves' mesh in the changed polygons; false when it cannot
    // (the mesh is not the design's list's, or lives in buffer objects).
    bool RewriteLeafMesh(const std::vector<std::uint32_t>& changed);
    // The share of a Full 3D build's progress that the tree takes.
    static constexpr double kTreeShare = 0.7;
    void UpdateSkeletonLines();
    void BuildGroundList();
    void BuildSkyList();
    void BuildFontLists();
    // Text in window pixels over the scene, blended with the given factors;
    // draw gets the viewport's height and calls the font's lists.
    template <typename Text>
    void DrawScreenText(GLenum sourceFactor, GLenum destinationFactor, Text&& draw);
    void DrawOverlayText(int dx, int dy);
    void DrawHint();
    void DrawFigure(float x);
    void DrawFull3D();
    static void DeleteList(GLuint& list, GLsizei count = 1);

    const grovewright::SkeletonLevels& skeleton_;
    const grovewright::LeafStore& leaves_;
    const grovewright::TreeViewParameters& view_;
    TextureManager& textures_;

    int renderMode_ = kLine;
    int treeTriangles_ = 0;
    int leafTriangles_ = 0;
    double detail_ = 1.0;
    bool showCounts_ = true, showFigure_ = false;
    // The tree's mesh (its lines in line mode) and the leaves' mesh are up to date.
    bool treeListValid_ = false;
    bool leafListValid_ = false;
    // While the leaves are stale: the polygons to rewrite, or none when the
    // whole mesh is made anew.
    std::optional<std::vector<std::uint32_t>> leafRewrite_;
    GLMesh tree_, stump_, leaf_;
    GLuint groundList_ = 0, skyList_ = 0, fontBase_ = 0;
    LightValues light_;
    Camera camera_;
    std::vector<std::string> hint_;
    std::function<bool(double)> progress_;
};
