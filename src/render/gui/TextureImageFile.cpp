#include "render/gui/TextureImageFile.h"

#include <wx/image.h>
#include <wx/log.h>

#include <algorithm>

#include "render/TgaImage.h"

bool LoadTextureImage(const std::string& path, grovewright::PixelImage& image, std::string& error) {
    const bool isXpm = path.find(".xpm") != std::string::npos;
    const bool isTga = !isXpm && path.find(".tga") != std::string::npos && path.find(".bmp") == std::string::npos;
    if (isTga) return grovewright::ReadTga(path, image, error);
    wxImage loaded;
    {
        wxLogNull quiet;  // the caller reports a failure, in one message
        loaded.LoadFile(wxString::FromUTF8(path), isXpm ? wxBITMAP_TYPE_XPM : wxBITMAP_TYPE_BMP);
    }
    if (!loaded.IsOk()) {
        error = path + ": cannot be read as " + (isXpm ? "an XPM" : "a BMP") + " image";
        return false;
    }
    const wxImage flipped = loaded.Mirror(false);
    image = grovewright::PixelImage(flipped.GetWidth(), flipped.GetHeight(), 3);
    std::copy(flipped.GetData(), flipped.GetData() + image.pixels.size(), image.pixels.begin());
    return true;
}
