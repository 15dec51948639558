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
    std::array<grovewright::PixelImage, PT::kBuiltinCount> set = PT::DrawBuiltinSet();
    const struct {
        Kind kind;
        int slot;
        PT::BuiltinTexture texture;
    } places[] = {{Kind::Stump, 0, PT::kStump1},   {Kind::Sky, 0, PT::kBlueSky},    {Kind::Sky, 1, PT::kGreySky},
                  {Kind::Trunk, 0, PT::kTrunc1},   {Kind::Trunk, 1, PT::kTrunc2},   {Kind::Ground, 0, PT::kSpring},
                  {Kind::Ground, 1, PT::kSummer},  {Kind::Ground, 2, PT::kFall},    {Kind::Ground, 3, PT::kWinter},
                  {Kind::Leaves, 0, PT::kLeaves1}, {Kind::Leaves, 1, PT::kLeaves2}, {Kind::Leaves, 2, PT::kNeedles}};
    for (const auto& place : places) Keep(place.kind, place.slot, std::move(set[place.texture]));
    built_ = true;
    ++builtinCreations_;
}

void TextureManager::Keep(Kind kind, int slot, grovewright::PixelImage image) {
    KindSlots& slots = Slots(kind);
    Upload(slots.ids[slot], image);
    slots.images[slot] = std::move(image);
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

void TextureManager::SelectCustom(Kind kind, const grovewright::PixelImage& image, std::string file) {
    CreateBuiltinTextures();
    KindSlots& slots = Slots(kind);
    Keep(kind, slots.builtIn, image);
    slots.customFile = std::move(file);
    slots.selected = slots.builtIn;
}
