#include "io/RecoveryFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace grovewright {

std::string RecoveryFilePath() {
    std::filesystem::path folder;
    // The XDG rule: an unset or relative XDG_DATA_HOME means the default.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        folder = data;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::filesystem::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return (folder / "grovewright" / "recovery.xml").string();
}

bool CreateParentFolder(const std::string& path, std::string& error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (!code && std::filesystem::is_directory(folder, code)) return true;
    error = folder.string() + ": cannot be created (" + (code ? code.message() : "not a folder") + ")";
    return false;
}

}  // namespace grovewright
