#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include <string>

// The file dialogs of the window's commands: over the window, opening in the
// folder last used by any of them.
class FileChooser {
public:
    explicit FileChooser(wxWindow* parent) : parent_(parent) {}

    // A file to read; empty when cancelled.
    wxString Open(const wxString& message, const wxString& wildcard);
    // A file to write, with the extension added; asks before replacing a file
    // that the dialog did not ask about. suggested: the name offered, in its
    // folder when it has one. Empty when cancelled.
    wxString Save(const wxString& message, const wxString& wildcard, const std::string& extension,
                  const wxString& suggested = wxString());

private:
    wxString Choose(const wxString& message, const wxString& wildcard, long style, const wxString& suggested);

    wxWindow* parent_;
    wxString lastFolder_;
};
