#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

#include "generators/TextureChoice.h"
#include "render/PixelImage.h"

// Owns every GL texture: bark, leaves, ground, stump, sky and the overlay font.
// The built-in textures are generated on first use, the painted barks and
// leaves (which follow the drawn ones of their kind) when first selected; each
// kind has a slot for a custom image after its built-in ones. All calls need
// the GL context that owns the textures to be current.
class TextureManager {
public:
    enum class Kind { Trunk, Leaves, Ground, Stump, Sky };

    TextureManager() = default;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;
    ~TextureManager();

    void CreateBuiltinTextures();
    bool CreateFontTexture();

    void Bind(Kind kind);
    void BindTrunkTexture() { Bind(Kind::Trunk); }
    void BindLeafTexture() { Bind(Kind::Leaves); }
    void BindGroundTexture() { Bind(Kind::Ground); }
    void BindStumpTexture() { Bind(Kind::Stump); }
    void BindSkyTexture() { Bind(Kind::Sky); }
    void BindFontTexture();

    // Selects built-in texture `choice` (0-based) of the kind.
    void Select(Kind kind, int choice);
    // Uploads the image (RGB or RGBA, rows from the bottom up) into the kind's
    // custom slot, replacing what was there, and selects it. file: the bytes of
    // the image file it was read from, which model exports store as they are
    // when they are a PNG's or a JPEG's.
    void SelectCustom(Kind kind, const grovewright::PixelImage& image, std::string file = {});

    bool IsBuilt() const { return built_; }
    // How often the built-in set was generated (once at most).
    int BuiltinCreations() const { return builtinCreations_; }
    GLuint Texture(Kind kind, int slot) const { return Slots(kind).ids[slot]; }
    int Selected(Kind kind) const { return Slots(kind).selected; }
    // The pixels of the kind's selected texture (empty before the textures exist).
    const grovewright::PixelImage& Image(Kind kind) const { return Slots(kind).images[Slots(kind).selected]; }
    // The normal map of the selected bark: empty unless it is a painted one.
    grovewright::PixelImage BarkNormals() const;
    // The file bytes of the kind's selected texture: empty unless it is a custom image.
    const std::string& ImageFile(Kind kind) const {
        static const std::string none;
        return Slots(kind).selected == Slots(kind).builtIn ? Slots(kind).customFile : none;
    }

private:
    struct KindSlots {
        explicit KindSlots(int builtInCount)
            : builtIn(builtInCount), ids(builtInCount + 1), images(builtInCount + 1) {}
        int builtIn;  // how many built-in textures; the custom one follows
        std::vector<GLuint> ids;
        std::vector<grovewright::PixelImage> images;  // what each texture was made of
        std::string customFile;                       // the custom image's file bytes
        int selected = 0;
    };
    KindSlots& Slots(Kind kind) { return slots_[static_cast<int>(kind)]; }
    const KindSlots& Slots(Kind kind) const { return slots_[static_cast<int>(kind)]; }
    // Uploads the image into the kind's slot and keeps its pixels.
    void Keep(Kind kind, int slot, grovewright::PixelImage image);
    // Replaces the texture in slot by the image (RGB or RGBA, its own size,
    // linear filters; with mipmaps, for the painted images, which are seen from afar).
    static void Upload(GLuint& slot, const grovewright::PixelImage& image, bool mipmaps = false);
    // Makes the painted texture of slot (a bark's or the leaves') when it is not yet made.
    void Paint(Kind kind, int slot);

    KindSlots slots_[5] = {KindSlots(grovewright::TextureChoice::kBuiltInCount[0]),
                           KindSlots(grovewright::TextureChoice::kBuiltInCount[1]),
                           KindSlots(grovewright::TextureChoice::kBuiltInCount[2]),
                           KindSlots(grovewright::TextureChoice::kBuiltInCount[3]),
                           KindSlots(grovewright::TextureChoice::kBuiltInCount[4])};
    GLuint font_ = 0;
    bool built_ = false;
    int builtinCreations_ = 0;
};
