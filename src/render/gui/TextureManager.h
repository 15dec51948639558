#pragma once

#include <GL/gl.h>
#include <wx/string.h>

#include <functional>
#include <string>

#include "render/PixelImage.h"

// Owns every GL texture: bark, leaves, ground, stump, sky and the overlay font.
// The built-in textures are generated on first use; each kind has a slot for a
// custom image. All calls need the draw panel's GL context to be current.
class TextureManager {
public:
    // The choice that asks for an image file.
    static constexpr int CUSTOM_TEXTURE = 100;

    // Asks the user for an image file: receives the dialog's wildcard, returns the
    // chosen path or an empty string when cancelled. Replaceable for tests.
    using FileChooser = std::function<std::string(const wxString& wildcard)>;

    TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;
    ~TextureManager();

    void CreateBuiltinTextures();
    bool CreateFontTexture();

    void BindTrunkTexture() { Bind(trunk_[selectedTrunk_]); }
    void BindLeafTexture() { Bind(leaves_[selectedLeaf_]); }
    void BindGroundTexture() { Bind(ground_[selectedGround_]); }
    void BindStumpTexture() { Bind(stump_[selectedStump_]); }
    void BindSkyTexture() { Bind(sky_[selectedSky_]); }
    void BindFontTexture();

    bool SelectTrunkTexture(int choice) { return Select(trunk_, 2, selectedTrunk_, choice); }
    bool SelectGroundTexture(int choice) { return Select(ground_, 4, selectedGround_, choice); }
    bool SelectStumpTexture(int choice) { return Select(stump_, 1, selectedStump_, choice); }
    bool SelectSkyTexture(int choice) { return Select(sky_, 2, selectedSky_, choice); }
    bool SelectLeafTexture(int choice);

    // Asks for an image (TGA for leaves, else XPM or BMP) and decodes it by the
    // name's text into the custom image, rows from the bottom up: ".xpm" as XPM,
    // ".tga" as TGA (RGBA), anything else as BMP. The caller uploads it into the
    // custom slot of its kind, so any decodable image fits any slot. A failure
    // keeps everything as it was and tells the user.
    bool LoadCustomImage(bool forLeaves);

    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    bool IsBuilt() const { return built_; }
    // How often the built-in set was generated (once at most).
    int BuiltinCreations() const { return builtinCreations_; }
    GLuint TrunkTexture(int slot) const { return trunk_[slot]; }
    GLuint LeafTexture(int slot) const { return leaves_[slot]; }
    int SelectedTrunk() const { return selectedTrunk_; }
    int SelectedLeaf() const { return selectedLeaf_; }

private:
    void Bind(GLuint texture);
    bool Select(GLuint* slots, int customSlot, int& selected, int choice);
    // Replaces the texture in slot by the image (RGB or RGBA, its own size, linear filters).
    static void Upload(GLuint& slot, const grovewright::PixelImage& image);
    void ReportFailure(const wxString& message) const;

    GLuint trunk_[3] = {};
    GLuint leaves_[4] = {};
    GLuint ground_[5] = {};
    GLuint stump_[2] = {};
    GLuint sky_[3] = {};
    GLuint font_[1] = {};
    int selectedTrunk_ = 0, selectedGround_ = 0, selectedLeaf_ = 0, selectedStump_ = 0, selectedSky_ = 0;
    grovewright::PixelImage customImage_;
    bool built_ = false;
    int builtinCreations_ = 0;
    FileChooser chooseFile_;
};
