#include "app/RecentFiles.h"

#include "app/ProgramSettings.h"

RecentFiles::RecentFiles(wxMenu* menu) {
    history_.UseMenu(menu);
    ProgramSettings::LoadRecentFiles(history_);  // into the menu too
}

void RecentFiles::Add(const wxString& path) {
    history_.AddFileToHistory(path);
    Keep();
}

wxString RecentFiles::FileOf(int id) const {
    const int index = id - history_.GetBaseId();
    return index >= 0 && index < Count() ? history_.GetHistoryFile(static_cast<size_t>(index)) : wxString();
}

void RecentFiles::Remove(const wxString& path) {
    for (int i = 0; i < Count(); ++i) {
        if (history_.GetHistoryFile(static_cast<size_t>(i)) != path) continue;
        history_.RemoveFileFromHistory(static_cast<size_t>(i));
        Keep();
        return;
    }
}

void RecentFiles::Keep() { ProgramSettings::SaveRecentFiles(history_); }
