#pragma once

#include <wx/filedlg.h>
#include <wx/filename.h>

// The path the user chose in a file dialog. A dialog answered by the toolkit's
// test hooks reports an empty path on GTK; its folder and name are right, so
// the path is rebuilt from them then.
inline wxString ChosenPath(const wxFileDialog& dialog) {
    const wxString path = dialog.GetPath();
    if (!path.empty()) return path;
    return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
}
