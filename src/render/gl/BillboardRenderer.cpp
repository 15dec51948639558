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
