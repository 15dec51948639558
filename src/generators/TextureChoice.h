#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace grovewright {

class TGXMLFileReader;
class TGXMLFileWriter;

// Which texture the design shows on each surface: one of the built-in ones, or
// an image file of the user's. Part of the design: saved in the project's
// DesignView element, undone and redone like any edit.
struct TextureChoice {
    // In the order of the Textures menu's kinds.
    enum Kind { kBark, kLeaves, kGround, kStump, kSky, kKindCount };
    // Bark: Trunc1, Trunc2 and six painted barks; leaves: Leaves1, Leaves2,
    // Needles and eleven painted leaves, twigs and needle sprays.
    static constexpr std::array<int, kKindCount> kBuiltInCount = {2 + 6, 3 + 11, 4, 1, 2};

    // The built-in texture of each kind (0-based), used when it has no image.
    std::array<int, kKindCount> builtIn{};
    // The image file of each kind as an absolute path; empty: the built-in one.
    std::array<std::string, kKindCount> image;

    bool IsDefault() const { return *this == TextureChoice(); }
    bool operator==(const TextureChoice& o) const { return builtIn == o.builtIn && image == o.image; }
    bool operator!=(const TextureChoice& o) const { return !(*this == o); }
};

// "bark", "leaves", "ground", "stump", "sky": for messages.
const char* TextureKindName(int kind);

// Writes the choices that differ from the defaults as value lines of the
// DesignView element; an image path relative to the folder of the file the
// writer writes (absolute when the writer has no file), with the characters
// markup needs escaped.
void WriteTextureChoice(TGXMLFileWriter& writer, const TextureChoice& choice);

// Reads the choices from the reader's working text (inside DesignView): a value
// that is missing keeps its default, an image path is taken relative to the
// folder of projectPath. False, with choice unchanged, when a built-in number is
// out of range.
bool ReadTextureChoice(const TGXMLFileReader& reader, const std::string& projectPath, TextureChoice& choice);

// The images of the choice that lie outside the folder of projectPath (named by
// an absolute path, or by one that climbs out with ".."), in kind order: a
// project received from someone else can name any readable image on the disk,
// which an export then carries, so loading one tells of them.
std::vector<std::string> ImagesOutsideFolder(const TextureChoice& choice, const std::string& projectPath);

// Text escaped for an element's inner text and back: &, <, > and control
// characters as entities.
std::string EscapeMarkup(std::string_view text);
std::string UnescapeMarkup(std::string_view text);

}  // namespace grovewright
