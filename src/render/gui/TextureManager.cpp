#include "render/gui/TextureManager.h"

#include <wx/filedlg.h>

#include "panels/ChosenPath.h"
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include "render/ProceduralTextures.h"
#include "render/TgaImage.h"

namespace {

#include "render/gui/GlyphFont.xpm"

namespace PT = grovewright::ProceduralTextures;

// A toolkit image as a texture takes it: RGB rows from the bottom up.
grovewright::PixelImage FromWxImage(const wxImage& flipped) {
    grovewright::PixelImage image(flipped.GetWidth(), flipped.GetHeight(), 3);
    const unsigned char* data = flipped.GetData();
    std::copy(data, data + image.pixels.size(), image.pixels.begin());
    return image;
}

std::string AskForFile(const wxString& wildcard) {
    wxFileDialog dialog(nullptr, "Open ...", "", "", wildcard, wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return {};
    return ChosenPath(dialog).ToStdString(wxConvUTF8);
}

}  // namespace

TextureManager::TextureManager() : chooseFile_(AskForFile) {}

TextureManager::~TextureManager() {
    if (!built_) return;
    glDeleteTextures(3, trunk_);
    glDeleteTextures(4, leaves_);
    glDeleteTextures(5, ground_);
    glDeleteTextures(2, stump_);
    glDeleteTextures(3, sky_);
    glDeleteTextures(1, font_);
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
    Upload(stump_[0], PT::Stump1());
    Upload(sky_[0], PT::BlueSky());
    Upload(sky_[1], PT::GreySky());
    Upload(trunk_[0], PT::Trunc1());
    Upload(trunk_[1], PT::Trunc2());
    Upload(ground_[0], PT::Spring());
    Upload(ground_[1], PT::Summer());
    Upload(ground_[2], PT::Fall());
    Upload(ground_[3], PT::Winter());
    Upload(leaves_[0], PT::Leaves1());
    Upload(leaves_[1], PT::Leaves2());
    Upload(leaves_[2], PT::Needles());
    built_ = true;
    ++builtinCreations_;
}

bool TextureManager::CreateFontTexture() {
    if (font_[0] != 0) return true;
    const wxImage glyphs(GlyphFont_xpm);
    if (!glyphs.IsOk()) return false;
    Upload(font_[0], FromWxImage(glyphs.Mirror(false)));
    return true;
}

void TextureManager::Bind(GLuint texture) {
    CreateBuiltinTextures();
    glBindTexture(GL_TEXTURE_2D, texture);
}

void TextureManager::BindFontTexture() {
    CreateBuiltinTextures();
    CreateFontTexture();
    glBindTexture(GL_TEXTURE_2D, font_[0]);
}

bool TextureManager::Select(GLuint* slots, int customSlot, int& selected, int choice) {
    CreateBuiltinTextures();
    if (choice != CUSTOM_TEXTURE) {
        selected = choice;
        return true;
    }
    if (!LoadCustomImage(false)) return false;
    Upload(slots[customSlot], customImage_);
    selected = customSlot;
    return true;
}

bool TextureManager::SelectLeafTexture(int choice) {
    CreateBuiltinTextures();
    if (choice != CUSTOM_TEXTURE) {
        selectedLeaf_ = choice;
        return true;
    }
    if (!LoadCustomImage(true)) return false;
    Upload(leaves_[3], customImage_);
    selectedLeaf_ = 3;
    return true;
}

bool TextureManager::LoadCustomImage(bool forLeaves) {
    const std::string path = chooseFile_(forLeaves ? "TGA files (*.tga)|*.tga"
                                                   : "XPM files (*.xpm)|*.xpm|BMP files (*.bmp)|*.bmp");
    if (path.empty()) return false;
    const bool isXpm = path.find(".xpm") != std::string::npos;
    const bool isTga = !isXpm && path.find(".tga") != std::string::npos && path.find(".bmp") == std::string::npos;
    if (isTga) {
        grovewright::PixelImage image;
        std::string error;
        if (!grovewright::ReadTga(path, image, error)) {
            ReportFailure(wxString::FromUTF8(error));
            return false;
        }
        customImage_ = std::move(image);
        return true;
    }
    wxImage loaded;
    {
        wxLogNull quiet;  // a failure is reported below, in one message
        loaded.LoadFile(wxString::FromUTF8(path), isXpm ? wxBITMAP_TYPE_XPM : wxBITMAP_TYPE_BMP);
    }
    if (!loaded.IsOk()) {
        ReportFailure(wxString::FromUTF8(path) + ": cannot be read as " + (isXpm ? "an XPM" : "a BMP") + " image");
        return false;
    }
    customImage_ = FromWxImage(loaded.Mirror(false));
    return true;
}

void TextureManager::ReportFailure(const wxString& message) const {
    wxMessageBox(message, "Texture error", wxOK | wxICON_ERROR);
}
