#include "app/ProgramSettings.h"

#include <wx/filehistory.h>
#include <wx/fileconf.h>
#include <wx/log.h>

#include <memory>
#include <string>

#include "io/RecoveryFile.h"

namespace {

constexpr const char* kLighterWhileDragging = "/View/LighterWhileDragging";
constexpr const char* kRecentFiles = "/RecentFiles";

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

void LoadRecentFiles(wxFileHistory& history) {
    const wxLogNull quiet;
    const std::unique_ptr<wxFileConfig> settings = OpenSettings(false);
    if (!settings) return;
    settings->SetPath(kRecentFiles);
    history.Load(*settings);
}

void SaveRecentFiles(wxFileHistory& history) {
    const wxLogNull quiet;
    const std::unique_ptr<wxFileConfig> settings = OpenSettings(true);
    if (!settings) return;
    // Written whole: a file taken out of the list must not stay behind.
    settings->DeleteGroup(kRecentFiles);
    settings->SetPath(kRecentFiles);
    history.Save(*settings);
    settings->Flush();
}

}  // namespace ProgramSettings
