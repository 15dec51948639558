#pragma once

class wxFileHistory;

// The program's own settings (not a design's), kept across runs in the user's
// configuration folder. A folder that cannot be read or written leaves the
// defaults: no setting is worth a message.
namespace ProgramSettings {

// Options > "Lighter drawing while dragging"; on by default.
bool LighterWhileDragging();
void SetLighterWhileDragging(bool on);

// File > Recent Files.
void LoadRecentFiles(wxFileHistory& history);
void SaveRecentFiles(wxFileHistory& history);

}  // namespace ProgramSettings
