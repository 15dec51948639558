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

LightValues ImpostorLight() {
    // From above and in front of every picture, as a sun lights a tree: what
    // faces it keeps its texture's colour, what faces away (the crown's
    // underside, its far leaves) is darker. The engine lights the cards again,
    // so the pictures hold only the shading within the crown.
    LightValues light;
    light.SetAmbient(0.35f);  // the light's and the model's: 0.7 in all
    light.SetDiffuse(0.3f);
    light.SetPosition(0, 2, 1);
    light.on = true;
    return light;
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
    scene::ApplyLight(ImpostorLight());
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
