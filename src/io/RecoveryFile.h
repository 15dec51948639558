#pragma once

#include <string>

namespace grovewright {

// Where the program keeps a design it could not ask about when it was closed
// (logout, shutdown): "grovewright/recovery.xml" in the user's data folder,
// $XDG_DATA_HOME or else $HOME/.local/share. Empty when neither is set.
std::string RecoveryFilePath();

// Where the program keeps its settings: "grovewright/settings.ini" in the user's
// configuration folder, $XDG_CONFIG_HOME or else $HOME/.config. Empty when
// neither is set.
std::string SettingsFilePath();

// Creates the folder that will hold path, with its parents; false, with error
// set to one line naming the folder and the problem, when it cannot.
bool CreateParentFolder(const std::string& path, std::string& error);

}  // namespace grovewright
