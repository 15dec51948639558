#include "app/FileChooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "io/TGFileWriter.h"
#include "panels/ChosenPath.h"

wxString FileChooser::Open(const wxString& message, const wxString& wildcard) {
    return Choose(message, wildcard, wxFD_OPEN, wxString());
}

wxString FileChooser::Save(const wxString& message, const wxString& wildcard, const std::string& extension,
                           const wxString& suggested) {
    const wxString chosen = Choose(message, wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT, suggested);
    if (chosen.empty()) return {};
    // The dialog asked about the name as typed; the extension may name another file.
    const wxString path =
        wxString::FromUTF8(grovewright::TGFileWriter::WithExtension(chosen.ToStdString(wxConvUTF8), extension));
    return MayReplace(parent_, chosen, path) ? path : wxString();
}

wxString FileChooser::Choose(const wxString& message, const wxString& wildcard, long style,
                             const wxString& suggested) {
    const wxFileName offered(suggested);
    const wxString folder = offered.GetPath().empty() ? lastFolder_ : offered.GetPath();
    wxFileDialog dialog(parent_, message, folder, offered.GetFullName(), wildcard, style);
    if (dialog.ShowModal() != wxID_OK) return {};
    const wxString path = ChosenPath(dialog);
    lastFolder_ = wxFileName(path).GetPath();
    return path;
}
