#pragma once

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

// The path the user chose in a file dialog. A dialog answered by the toolkit's
// test hooks reports an empty path on GTK; its folder and name are right, so
// the path is rebuilt from them then.
inline wxString ChosenPath(const wxFileDialog& dialog) {
    const wxString path = dialog.GetPath();
    if (!path.empty()) return path;
    return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
}

// Whether path may be written after the user chose `chosen` in a save dialog
// that asked about overwriting: when an extension was appended, the dialog asked
// about another name, so an existing file of the final name is asked about here.
inline bool MayReplace(wxWindow* parent, const wxString& chosen, const wxString& path) {
    return path == chosen || !wxFileExists(path) ||
           wxMessageBox("\"" + path + "\" already exists.\nDo you want to replace it?", "Replace file",
                        wxYES_NO | wxNO_DEFAULT | wxICON_WARNING, parent) == wxYES;
}
