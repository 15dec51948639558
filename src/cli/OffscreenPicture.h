#pragma once

#include <string>

#include "generators/TreeDesign.h"
#include "render/PixelImage.h"
#include "render/ProceduralTextures.h"

namespace grovewright {

struct TreeModel;

// A grown tree as the pictures see it.
struct PictureScene {
    const SkeletonLevels& skeleton;
    const LeafStore& leaves;
    const TreeViewParameters& view;
    LightSettings light = LightSettings::PageStart();
    ProceduralTextures::Choice textures;
    // The user's own images, in place of the chosen built-in ones (null: none).
    const PixelImage* barkImage = nullptr;
    const PixelImage* stumpImage = nullptr;
    const PixelImage* leafImage = nullptr;
    // How far the view's camera stands from the tree, in metres; 0: where the
    // program's view starts.
    double cameraDistance = 0;
    // How high the camera stands, in metres; 0: where the program's view starts.
    double cameraHeight = 0;
    // The share of the design drawn, as the view draws it while a slider moves (1: all).
    double detail = 1;
    // The triangle counts written over Full 3D, as the program's view shows them.
    bool counts = true;
    // A person 1.8 m tall beside the tree (left of it, on the ground), in Full 3D.
    bool figure = false;
    // Shown in Full 3D in place of the grown tree (made in the view's order): a level of detail.
    const TreeModel* model = nullptr;
};

// The largest side of a picture drawn off screen.
inline constexpr int kMaxPictureSide = 8192;

// Draws without a display, in an off-screen Mesa context, with the same drawing
// as the program's window, width x height pixels (each 1 to kMaxPictureSide).
// Each returns false with a message when no context of that size can be made.
//
// The main view in mode 0 (lines), 1 (wire frame) or 2 (Full 3D) with its
// start-up camera, lighting on or off.
bool RenderViewPicture(const PictureScene& scene, int mode, bool lighting, int width, int height, PixelImage& image,
                       std::string& error);
// The billboard the export dialog draws with its view reset, turned by angle
// degrees, on a black or white background, with or without the leaves.
bool RenderBillboardPicture(const PictureScene& scene, int angle, bool blackBackground, bool withLeaves, int width,
                            int height, PixelImage& image, std::string& error);

// The tree with its leaves from `views` directions around it, side by side in
// one row of cell x cell squares, each showing the box of -radius .. radius
// across and 0 .. height up (metres) in parallel projection, on black: the
// picture atlas of an impostor.
bool RenderImpostorAtlas(const PictureScene& scene, int views, int cell, float radius, float height,
                         PixelImage& image, std::string& error);

// The drawings as the picture module hands them out: the module holds the
// off-screen GL stack, which only the commands that draw need to load.
struct PictureRenderer {
    decltype(&RenderViewPicture) view;
    decltype(&RenderBillboardPicture) billboard;
    decltype(&RenderImpostorAtlas) atlas;
};

}  // namespace grovewright

// The module's one entry point, looked up by this name.
extern "C" const grovewright::PictureRenderer* GrovewrightPictureRenderer();
inline constexpr const char kPictureRendererEntry[] = "GrovewrightPictureRenderer";

namespace grovewright {

}  // namespace grovewright
