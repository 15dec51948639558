#include "app/ProgramSettings.h"

#include <wx/fileconf.h>
#include <wx/log.h>

#include <memory>
#include <string>

#include "io/RecoveryFile.h"

namespace {

constexpr const char* kLighterWhileDragging = "/View/LighterWhileDragging";

// The settings file, or null when there is no place for it.
std::unique_ptr<wxFileConfig> OpenSettings(bool forWriting) {
    const std::string path = grovewright::SettingsFilePath();
    std::string error;
    if (path.empty() || (forWriting && !grovewright::CreateParentFolder(path, error))) return nullptr;
    return std::make_unique<wxFileConfig>(wxEmptyString, wxEmptyString, wxString::FromUTF8(path), wxEmptyString,
                                          wxCONFIG_USE_LOCAL_FILE);
}

}  // namespace

namespace ProgramSettings {

bool LighterWhileDragging() {
    const wxLogNull quiet;
    const std::unique_ptr<wxFileConfig> settings = OpenSettings(false);
    return !settings || settings->ReadBool(kLighterWhileDragging, true);
}

void SetLighterWhileDragging(bool on) {
    const wxLogNull quiet;
    const std::unique_ptr<wxFileConfig> settings = OpenSettings(true);
    if (!settings) return;
    settings->Write(kLighterWhileDragging, on);
    settings->Flush();
}

}  // namespace ProgramSettings
