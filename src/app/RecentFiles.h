#pragma once

#include <wx/filehistory.h>
#include <wx/menu.h>

// File > Recent Files: the last eight project files loaded or saved, newest
// first, kept in the program's settings across runs. Its items have the
// identifiers wxID_FILE1 onwards.
class RecentFiles {
public:
    static constexpr int kCount = 8;

    // Fills the menu with the files the settings remember.
    explicit RecentFiles(wxMenu* menu);

    // The file goes to the top of the list (once), and the list into the settings.
    void Add(const wxString& path);
    // The file of a menu item, or empty when the identifier is none of them.
    wxString FileOf(int id) const;
    // Takes the file out of the list and the settings.
    void Remove(const wxString& path);
    int Count() const { return static_cast<int>(history_.GetCount()); }

private:
    void Keep();

    wxFileHistory history_{kCount};
};
