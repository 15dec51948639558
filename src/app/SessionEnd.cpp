#include "app/SessionEnd.h"

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>

#include <algorithm>
#include <vector>

namespace {

// Every dialog between the start and the end of its ShowModal, the native
// message boxes and file dialogs included.
class OpenDialogs : public wxModalDialogHook {
public:
    std::vector<wxDialog*> dialogs;

protected:
    int Enter(wxDialog* dialog) override {
        dialogs.push_back(dialog);
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override {
        const auto found = std::find(dialogs.rbegin(), dialogs.rend(), dialog);
        if (found != dialogs.rend()) dialogs.erase(std::next(found).base());
    }
};

OpenDialogs& Dialogs() {
    static OpenDialogs dialogs;
    return dialogs;
}

}  // namespace

void WatchModalDialogs() {
    static bool watching = false;
    if (!watching) Dialogs().Register();
    watching = true;
}

bool ModalDialogOpen() { return !Dialogs().dialogs.empty(); }

void EndModalDialogs() {
    // The innermost first: an outer dialog's loop returns only after the inner one's.
    for (auto it = Dialogs().dialogs.rbegin(); it != Dialogs().dialogs.rend(); ++it) {
        wxDialog* dialog = *it;
        if (dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        } else if (GtkWidget* widget = dialog->GetHandle(); widget && GTK_IS_DIALOG(widget)) {
            // A native message box runs GTK's own dialog loop: answered as if its window was closed.
            gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_DELETE_EVENT);
        }
    }
}
