#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include <functional>
#include <string>

#include "generators/ExampleTrees.h"
#include "generators/TreeDesign.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

class FileChooser;

// The life of the design as a document: new, load, save, the examples, and the
// recovery file that keeps an unsaved design when the session ends without a
// question. It asks and tells the user over the window; the window shows what
// it is told through the hooks.
class ProjectDocument {
public:
    struct Hooks {
        // Another design took the place of the shown one (new, load, example):
        // the window shows it from the start (Line mode, the view reset).
        std::function<void()> replaced;
        // The design's file changed, or a save failed: title and Save.
        std::function<void()> fileChanged;
    };

    // sessionEnding: set when the session ends without a question; a question
    // open then counts as cancelled.
    ProjectDocument(wxWindow* window, grovewright::TreeDesign& design, FileChooser& files, const bool& sessionEnding,
                    Hooks hooks);

    void NewProject();
    // Asks for a project file and loads it.
    void Load();
    // Reads a project into every generator and the leaf pages and shows it; says
    // why when nothing could be loaded or which parts kept their settings.
    // asProject: the file becomes the design's file (title, Save).
    bool LoadFile(const wxString& path, bool asProject);
    // Asks about unsaved changes, then loads an example tree of the gallery as a new
    // design that belongs to no file; false when it did not happen.
    bool LoadExample(const grovewright::ExampleTree& example);
    // Writes the design into its file; without one, or with one that is not a
    // project file (a loaded "t.txt"), runs Save As instead.
    void Save();
    // False when the user cancelled or the save failed. suggested: the file the
    // dialog offers (none: an empty name in the last folder used).
    bool SaveAs(const wxString& suggested = wxString());
    // Yes, no or cancel; yes runs Save As first. False when the user cancelled,
    // or cancelled or failed the save: the command must stop.
    bool CheckUnsavedChanges();

    // The design into the recovery file, without asking anything; true when it
    // is kept or there was nothing unsaved to keep.
    bool KeepUnsavedDesign();
    // At start: offers the design kept in the recovery file when the program was
    // last closed without a question (logout, shutdown), then removes the file.
    // False when there was none to offer.
    bool OfferRecovery();

    // The design is not as it was last saved or loaded, or it was restored from
    // the recovery file.
    bool IsModified() const { return restored_ || design_.IsModified(); }
    // Saved or loaded now: nothing is unsaved.
    void MarkSaved();
    wxString FileName() const { return wxString::FromUTF8(design_.Document()); }
    // Save is offered: the design has a file, and writing it did not fail since.
    bool CanSave() const { return !design_.Document().empty() && !saveFailed_; }

private:
    bool WriteProject();
    bool WriteRecoveryFile();

    wxWindow* window_;
    grovewright::TreeDesign& design_;
    FileChooser& files_;
    const bool& sessionEnding_;
    Hooks hooks_;
    grovewright::TGXMLFileWriter writer_;
    grovewright::TGXMLFileReader reader_;
    // A design restored from the recovery file counts as unsaved.
    bool restored_ = false;
    bool saveFailed_ = false;
};
