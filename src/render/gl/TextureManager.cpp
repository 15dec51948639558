#include "render/gl/TextureManager.h"

#include "render/ProceduralTextures.h"
#include "render/XpmImage.h"

namespace {

#include "render/GlyphFont.xpm"

namespace PT = grovewright::ProceduralTextures;

}  // namespace

TextureManager::~TextureManager() {
    if (!built_) return;
    for (KindSlots& kind : slots_) glDeleteTextures(kind.builtIn + 1, kind.ids);
    glDeleteTextures(1, &font_);
}

void TextureManager::Upload(GLuint& slot, const grovewright::PixelImage& image) {
    if (slot != 0) glDeleteTextures(1, &slot);
    glGenTextures(1, &slot);
    glBindTexture(GL_TEXTURE_2D, slot);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void TextureManager::CreateBuiltinTextures() {
    if (built_) return;
    // The order fixes which noise each texture draws.
    Upload(Slots(Kind::Stump).ids[0], PT::Stump1());
    Upload(Slots(Kind::Sky).ids[0], PT::BlueSky());
    Upload(Slots(Kind::Sky).ids[1], PT::GreySky());
    Upload(Slots(Kind::Trunk).ids[0], PT::Trunc1());
    Upload(Slots(Kind::Trunk).ids[1], PT::Trunc2());
    Upload(Slots(Kind::Ground).ids[0], PT::Spring());
    Upload(Slots(Kind::Ground).ids[1], PT::Summer());
    Upload(Slots(Kind::Ground).ids[2], PT::Fall());
    Upload(Slots(Kind::Ground).ids[3], PT::Winter());
    Upload(Slots(Kind::Leaves).ids[0], PT::Leaves1());
    Upload(Slots(Kind::Leaves).ids[1], PT::Leaves2());
    Upload(Slots(Kind::Leaves).ids[2], PT::Needles());
    built_ = true;
    ++builtinCreations_;
}

bool TextureManager::CreateFontTexture() {
    if (font_ != 0) return true;
    const grovewright::PixelImage glyphs = grovewright::DecodeXpm(GlyphFont_xpm);
    if (glyphs.width == 0) return false;
    Upload(font_, glyphs);
    return true;
}

void TextureManager::Bind(Kind kind) {
    CreateBuiltinTextures();
    const KindSlots& slots = Slots(kind);
    glBindTexture(GL_TEXTURE_2D, slots.ids[slots.selected]);
}

void TextureManager::BindFontTexture() {
    CreateBuiltinTextures();
    CreateFontTexture();
    glBindTexture(GL_TEXTURE_2D, font_);
}

void TextureManager::Select(Kind kind, int choice) {
    CreateBuiltinTextures();
    KindSlots& slots = Slots(kind);
    if (choice >= 0 && choice < slots.builtIn) slots.selected = choice;
}

void TextureManager::SelectCustom(Kind kind, const grovewright::PixelImage& image) {
    CreateBuiltinTextures();
    KindSlots& slots = Slots(kind);
    Upload(slots.ids[slots.builtIn], image);
    slots.selected = slots.builtIn;
}
