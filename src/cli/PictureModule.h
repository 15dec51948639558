#pragma once

#include <string>

#include "cli/OffscreenPicture.h"

namespace grovewright {

// The file name of the picture module, beside the command-line tool.
inline constexpr const char kPictureModuleName[] = "libgrovewright-picture.so";

// Loads the picture module from the folder of the running program (once; later
// calls return the same). Null with a message naming the file and the reason
// when it cannot be loaded, for example when off-screen Mesa is not installed.
const PictureRenderer* LoadPictureRenderer(std::string& error);

}  // namespace grovewright
