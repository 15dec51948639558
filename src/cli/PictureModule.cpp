#include "cli/PictureModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace grovewright {

const PictureRenderer* LoadPictureRenderer(std::string& error) {
    static const PictureRenderer* renderer = nullptr;
    if (renderer) return renderer;
    std::error_code failed;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
    const std::filesystem::path folder = failed ? std::filesystem::path(".") : program.parent_path();
    // Beside the program in a build, in its library folder once installed.
    std::filesystem::path module = folder / kPictureModuleName;
    if (!std::filesystem::exists(module, failed))
        module = (folder / GROVEWRIGHT_MODULE_FROM_BIN / kPictureModuleName).lexically_normal();
    void* library = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "the picture renderer " + module.string() + " could not be loaded (" +
                (reason ? reason : "unknown reason") +
                "); it needs off-screen Mesa (Debian: libosmesa6). Exports and info work without it";
        return nullptr;
    }
    auto entry = reinterpret_cast<decltype(&GrovewrightPictureRenderer)>(dlsym(library, kPictureRendererEntry));
    if (!entry || !(renderer = entry())) {
        error = "the picture renderer " + module.string() + " has no entry point " + kPictureRendererEntry +
                ": it does not belong to this program";
        dlclose(library);
        return nullptr;
    }
    return renderer;  // the module stays loaded for the rest of the run
}

}  // namespace grovewright
