#include "io/RecoveryFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace grovewright {

namespace {

// name in the program's folder of an XDG base folder: $variable when it is an
// absolute path (the XDG rule: unset or relative means the default), else
// $HOME/underHome; empty when neither is set.
std::string UserFile(const char* variable, const char* underHome, const char* name) {
    std::filesystem::path folder;
    if (const char* set = std::getenv(variable); set && *set == '/') {
        folder = set;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::filesystem::path(home) / underHome;
    } else {
        return {};
    }
    return (folder / "grovewright" / name).string();
}

}  // namespace

std::string RecoveryFilePath() { return UserFile("XDG_DATA_HOME", ".local/share", "recovery.xml"); }

std::string SettingsFilePath() { return UserFile("XDG_CONFIG_HOME", ".config", "settings.ini"); }

bool CreateParentFolder(const std::string& path, std::string& error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (!code && std::filesystem::is_directory(folder, code)) return true;
    error = folder.string() + ": cannot be created (" + (code ? code.message() : "not a folder") + ")";
    return false;
}

}  // namespace grovewright
