#include "cli/OffscreenPicture.h"

#include <GL/osmesa.h>

#include <string>

#include "render/gl/BillboardRenderer.h"
#include "render/gl/SceneRenderer.h"
#include "render/gl/TextureManager.h"

namespace grovewright {

namespace {

// An off-screen RGBA context with a depth buffer, current while it lives,
// drawing into the image (rows from the bottom up, as GL reads them back).
class OffscreenContext {
public:
    OffscreenContext(PixelImage& image)
        : context_(OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr)) {
        current_ = context_ &&
                   OSMesaMakeCurrent(context_, image.pixels.data(), GL_UNSIGNED_BYTE, image.width, image.height);
    }
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext() {
        if (context_) OSMesaDestroyContext(context_);
    }
    bool IsCurrent() const { return current_; }

private:
    OSMesaContext context_;
    bool current_ = false;
};

// Runs draw(textures) in a fresh context of the size, with the scene's bark,
// stump and leaf textures, and reads the picture back. The GL objects are made
// and deleted inside, while the context is current.
template <typename Draw>
bool Picture(int width, int height, const PictureScene& scene, PixelImage& image, std::string& error, Draw&& draw) {
    image = PixelImage(width, height, 4);
    OffscreenContext context(image);
    if (!context.IsCurrent()) {
        image = {};
        error = "no off-screen GL context of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels could be made";
        return false;
    }
    {
        TextureManager textures;
        textures.Select(TextureManager::Kind::Trunk, scene.textures.bark);
        textures.Select(TextureManager::Kind::Leaves, scene.textures.leaves);
        for (const auto& [kind, custom] : {std::pair{TextureManager::Kind::Trunk, scene.barkImage},
                                           {TextureManager::Kind::Stump, scene.stumpImage},
                                           {TextureManager::Kind::Leaves, scene.leafImage}})
            if (custom) textures.SelectCustom(kind, *custom);
        draw(textures);
        glFinish();  // the picture is in the image
    }
    return true;
}

void TakeLight(const LightSettings& settings, bool on, LightValues& light) {
    light.SetAmbient(settings.ambient);
    light.SetDiffuse(settings.diffuse);
    light.SetPosition(settings.position[0], settings.position[1], settings.position[2]);
    light.on = on;
}

}  // namespace

bool RenderViewPicture(const PictureScene& scene, int mode, bool lighting, int width, int height, PixelImage& image,
                       std::string& error) {
    return Picture(width, height, scene, image, error, [&](TextureManager& textures) {
        SceneRenderer renderer(scene.skeleton, scene.leaves, scene.view, textures);
        renderer.SetRenderMode(mode);
        if (scene.cameraDistance > 0) renderer.View().offset.z = -scene.cameraDistance;
        if (scene.cameraHeight > 0) renderer.View().offset.y = -scene.cameraHeight;
        renderer.SetDetail(scene.detail);
        renderer.ShowCounts(scene.counts);
        renderer.ShowFigure(scene.figure);
        if (scene.model && mode == SceneRenderer::kFull3D) renderer.ShowModel(*scene.model);
        TakeLight(scene.light, lighting, renderer.Light());
        renderer.Draw(width, height);
    });
}

// The meshes of the view in Full 3D, as the program's billboard takes them, and
// the unlit scene that shows them.
struct BillboardMeshes {
    BillboardMeshes(const PictureScene& scene, const LeafStore& leaves, TextureManager& textures)
        : view(scene.skeleton, leaves, scene.view, textures) {
        view.SetRenderMode(SceneRenderer::kFull3D);
        if (scene.model) view.ShowModel(*scene.model);
        view.PrepareLists();
        TakeLight(scene.light, false, billboard.light);
        billboard.tree = &view.TreeMesh();
        billboard.stump = &view.StumpMesh();
        billboard.leaf = &view.LeafMesh();
    }
    SceneRenderer view;
    BillboardScene billboard;
};

bool RenderBillboardPicture(const PictureScene& scene, int angle, bool blackBackground, bool withLeaves, int width,
                            int height, PixelImage& image, std::string& error) {
    return Picture(width, height, scene, image, error, [&](TextureManager& textures) {
        const LeafStore noLeaves;
        BillboardMeshes meshes(scene, withLeaves ? scene.leaves : noLeaves, textures);
        meshes.billboard.billboardAngle = static_cast<float>(angle);
        const float background = blackBackground ? 0.0f : 1.0f;
        meshes.billboard.clearColour[0] = meshes.billboard.clearColour[1] = meshes.billboard.clearColour[2] = background;
        DrawBillboard(meshes.billboard, textures, width, height);
    });
}

bool RenderImpostorAtlas(const PictureScene& scene, int views, int cell, float radius, float height,
                         PixelImage& image, std::string& error) {
    return Picture(views * cell, cell, scene, image, error, [&](TextureManager& textures) {
        const BillboardMeshes meshes(scene, scene.leaves, textures);
        DrawImpostorAtlas(meshes.billboard, textures, views, cell, radius, height);
    });
}

}  // namespace grovewright

extern "C" __attribute__((visibility("default"))) const grovewright::PictureRenderer* GrovewrightPictureRenderer() {
    static const grovewright::PictureRenderer renderer{grovewright::RenderViewPicture,
                                                       grovewright::RenderBillboardPicture,
                                                       grovewright::RenderImpostorAtlas};
    return &renderer;
}
