#include "render/gl/TextureManager.h"

#include <algorithm>

#include "render/PaintedTextures.h"
#include "render/ProceduralTextures.h"
#include "render/XpmImage.h"

namespace {

#include "render/GlyphFont.xpm"

namespace PT = grovewright::ProceduralTextures;
namespace Painted = grovewright::PaintedTextures;

static_assert(grovewright::TextureChoice::kBuiltInCount[0] == PT::Choice::kDrawnBarks + Painted::kBarkCount);
static_assert(grovewright::TextureChoice::kBuiltInCount[1] == PT::Choice::kDrawnLeaves + Painted::kLeafCount);

// The image at half its size (each pixel the mean of four), for the next mipmap level.
grovewright::PixelImage Halved(const grovewright::PixelImage& image) {
    grovewright::PixelImage half(std::max(1, image.width / 2), std::max(1, image.height / 2), image.channels);
    for (int row = 0; row < half.height; ++row)
        for (int column = 0; column < half.width; ++column)
            for (int c = 0; c < image.channels; ++c) {
                const int r0 = std::min(2 * row, image.height - 1), r1 = std::min(2 * row + 1, image.height - 1);
                const int c0 = std::min(2 * column, image.width - 1), c1 = std::min(2 * column + 1, image.width - 1);
                const int sum = image.At(r0, c0)[c] + image.At(r0, c1)[c] + image.At(r1, c0)[c] + image.At(r1, c1)[c];
                half.At(row, column)[c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
    return half;
}

// The share of the image's pixels whose alpha, scaled, passes the view's alpha test (0.7).
double Coverage(const grovewright::PixelImage& image, double scale) {
    std::size_t passing = 0;
    for (std::size_t at = 3; at < image.pixels.size(); at += 4) passing += image.pixels[at] * scale >= 0.7 * 255;
    return static_cast<double>(passing) / static_cast<double>(image.pixels.size() / 4);
}

// Scales a smaller level's alpha so that as much of it passes the alpha test as
// of the full image: averaged alpha fades thin needles and leaf edges below the
// test, and a distant tree would lose its foliage.
void KeepCoverage(grovewright::PixelImage& level, double coverage) {
    double low = 1.0, high = 4.0;
    for (int step = 0; step < 12; ++step) {
        const double mid = (low + high) / 2;
        (Coverage(level, mid) < coverage ? low : high) = mid;
    }
    for (std::size_t at = 3; at < level.pixels.size(); at += 4)
        level.pixels[at] = static_cast<std::uint8_t>(std::min(255.0, level.pixels[at] * high + 0.5));
}

}  // namespace

TextureManager::~TextureManager() {
    if (!built_) return;
    for (KindSlots& kind : slots_)
        for (GLuint id : kind.ids)
            if (id != 0) glDeleteTextures(1, &id);
    glDeleteTextures(1, &font_);
}

void TextureManager::Upload(GLuint& slot, const grovewright::PixelImage& image, bool mipmaps) {
    if (slot != 0) glDeleteTextures(1, &slot);
    glGenTextures(1, &slot);
    glBindTexture(GL_TEXTURE_2D, slot);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    GLint level = 0;
    const double coverage = image.channels == 4 && mipmaps ? Coverage(image, 1.0) : 0.0;
    for (grovewright::PixelImage smaller = image; mipmaps && (smaller.width > 1 || smaller.height > 1);) {
        smaller = Halved(smaller);
        if (image.channels == 4) KeepCoverage(smaller, coverage);
        glTexImage2D(GL_TEXTURE_2D, ++level, static_cast<GLint>(format), smaller.width, smaller.height, 0, format,
                     GL_UNSIGNED_BYTE, smaller.pixels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

grovewright::PixelImage TextureManager::BarkNormals() const {
    const KindSlots& bark = Slots(Kind::Trunk);
    if (bark.selected < PT::Choice::kDrawnBarks || bark.selected >= bark.builtIn) return {};
    return Painted::BarkNormals(bark.selected - PT::Choice::kDrawnBarks);
}

void TextureManager::Paint(Kind kind, int slot) {
    KindSlots& slots = Slots(kind);
    if (slots.ids[slot] != 0) return;
    if (kind == Kind::Trunk && slot >= PT::Choice::kDrawnBarks)
        slots.images[slot] = Painted::BarkImage(slot - PT::Choice::kDrawnBarks);
    else if (kind == Kind::Leaves && slot >= PT::Choice::kDrawnLeaves)
        slots.images[slot] = Painted::LeafImage(slot - PT::Choice::kDrawnLeaves);
    else
        return;
    Upload(slots.ids[slot], slots.images[slot], true);
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
    if (choice < 0 || choice >= slots.builtIn) return;
    Paint(kind, choice);
    slots.selected = choice;
}

void TextureManager::SelectCustom(Kind kind, const grovewright::PixelImage& image, std::string file) {
    CreateBuiltinTextures();
    KindSlots& slots = Slots(kind);
    Keep(kind, slots.builtIn, image);
    slots.customFile = std::move(file);
    slots.selected = slots.builtIn;
}
