#pragma once

#include "render/gl/SceneRenderer.h"

// What a billboard shows: the main view's tree, stump and leaf meshes and light,
// seen through the billboard's own camera against a plain background.
struct BillboardScene {
    LightValues light;
    float clearColour[4] = {0, 0, 0, 1};
    float baseAngle = 0;       // the main view's turn about y
    float billboardAngle = 0;  // 0, 90, 180 or 270
    const GLMesh *tree = nullptr, *leaf = nullptr, *stump = nullptr;
    float panX = 0, panY = -3.0f, zoom = -20.0f;
    float tilt = 0;  // about x, in degrees, within -90..90

    // The camera framing a tree of the default size, looking at angle 0.
    void ResetView() {
        panX = 0;
        panY = -3.0f;
        zoom = -20.0f;
        tilt = 0;
        billboardAngle = 0;
    }
};

// Draws the billboard of width x height pixels into the current context's buffer.
void DrawBillboard(const BillboardScene& scene, TextureManager& textures, int width, int height);

// The light an impostor's pictures are drawn in (not the scene's).
LightValues ImpostorLight();
// Draws picture `view` of `views` (angle 360 / views apart, the first along the
// view's own) of the scene's meshes into the cell x cell square at (x, 0), in
// parallel projection, lit by ImpostorLight: the square shows x (turned) from
// -radius to radius and y from 0 to height, in metres. The frame must be begun
// (BeginTexturedFrame).
void DrawImpostorView(const BillboardScene& scene, TextureManager& textures, int view, int views, int x, int cell,
                      float radius, float height);
// Draws the scene's meshes seen from `views` directions around the tree (angle
// 360 / views apart, the first along the view's own), each into a cell x cell
// square of one row, in parallel projection: the square shows x (turned) from
// -radius to radius and y from 0 to height, in metres, on the clear colour.
void DrawImpostorAtlas(const BillboardScene& scene, TextureManager& textures, int views, int cell, float radius,
                       float height);
