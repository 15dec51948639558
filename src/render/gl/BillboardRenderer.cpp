#include "render/gl/BillboardRenderer.h"

void DrawBillboard(const BillboardScene& billboard, TextureManager& textures, int width, int height) {
    scene::BeginTexturedFrame(billboard.clearColour);
    scene::LoadPerspective(width, height);
    glTranslatef(billboard.panX, billboard.panY, billboard.zoom);
    glRotatef(billboard.tilt, 1, 0, 0);
    glRotatef(billboard.billboardAngle + billboard.baseAngle, 0, 1, 0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    scene::ApplyLight(billboard.light);
    scene::DrawTreeMeshes(textures, billboard.tree, billboard.stump, billboard.leaf);
    glFlush();
}

void DrawImpostorView(const BillboardScene& scene, TextureManager& textures, int view, int views, int x, int cell,
                      float radius, float height) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Nothing is drawn outside the cell: the projection maps the tree's box onto it.
    glViewport(x, 0, cell, cell);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-radius, radius, 0, height, -4 * radius - height, 4 * radius + height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scene::ApplyLight(scene.light);
    glRotatef(360.0f * static_cast<float>(view) / static_cast<float>(views), 0, 1, 0);
    scene::DrawTreeMeshes(textures, scene.tree, scene.stump, scene.leaf);
}

void DrawImpostorAtlas(const BillboardScene& scene, TextureManager& textures, int views, int cell, float radius,
                       float height) {
    scene::BeginTexturedFrame(scene.clearColour);
    for (int view = 0; view < views; ++view)
        DrawImpostorView(scene, textures, view, views, view * cell, cell, radius, height);
    glFlush();
}
