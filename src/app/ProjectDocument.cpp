#include "app/ProjectDocument.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <iostream>

#include "app/FileChooser.h"
#include "io/RecoveryFile.h"

namespace {

const char* const kProjectWildcard = "XML files (*.xml)|*.xml";

}  // namespace

ProjectDocument::ProjectDocument(wxWindow* window, grovewright::TreeDesign& design, FileChooser& files,
                                 const bool& sessionEnding, Hooks hooks)
    : window_(window), design_(design), files_(files), sessionEnding_(sessionEnding), hooks_(std::move(hooks)) {}

void ProjectDocument::NewProject() {
    if (!CheckUnsavedChanges()) return;
    {
        wxBusyCursor busy;
        design_.NewDocument();
    }
    MarkSaved();
    saveFailed_ = false;
    hooks_.replaced();
    hooks_.fileChanged();
}

void ProjectDocument::Load() {
    if (!CheckUnsavedChanges()) return;
    const wxString path = files_.Open("Open ...", kProjectWildcard);
    if (!path.empty()) LoadFile(path, true);
}

bool ProjectDocument::LoadFile(const wxString& path, bool asProject) {
    std::string error;
    std::vector<std::string> kept;
    bool loaded = false;
    {
        wxBusyCursor busy;
        // The shown generator's tree is grown on the loaded values, one undo step.
        loaded = design_.Load(reader_, path.ToStdString(wxConvUTF8), error, &kept, asProject);
        if (loaded) {
            MarkSaved();
            hooks_.replaced();
            if (asProject) {
                saveFailed_ = false;
                hooks_.fileChanged();
            }
        }
    }
    if (!loaded) {
        wxMessageBox("The project was not loaded, nothing was changed:\n" + wxString::FromUTF8(error), "Load error",
                     wxOK | wxICON_ERROR, window_);
        return false;
    }
    wxString told;
    if (!kept.empty()) {
        told = "The project was loaded, but these parts kept their previous settings (all of them, or the values "
               "out of range) because their section in the file is missing or has a value out of range:\n";
        for (const std::string& part : kept) told += "\n" + wxString::FromUTF8(part);
    }
    if (const std::string notice = reader_.MarkupNotice(); !notice.empty())
        told += (told.empty() ? "The project was loaded, but " : "\n\nAlso, ") + wxString::FromUTF8(notice);
    const std::vector<std::string> outside =
        grovewright::ImagesOutsideFolder(design_.Textures(), path.ToStdString(wxConvUTF8));
    if (!outside.empty()) {
        told += wxString(told.empty() ? "The project was loaded. " : "\n\nAlso, ") +
                "It names images outside its folder, which are shown and which exports of the design include:";
        for (const std::string& image : outside) told += "\n" + wxString::FromUTF8(image);
    }
    if (!told.empty()) wxMessageBox(told, "Load", wxOK | wxICON_WARNING, window_);
    return true;
}

bool ProjectDocument::LoadExample(const grovewright::ExampleTree& example) {
    if (!CheckUnsavedChanges()) return false;
    // The built-in text goes through the reader as any project does, from a temporary file.
    const wxString path = wxFileName::CreateTempFileName("grovewright-example");
    std::string error = "no temporary file could be made";
    bool loaded = false;
    if (!path.empty()) {
        wxFile file(path, wxFile::write);
        if (file.IsOpened() && file.Write(example.project.data(), example.project.size()) == example.project.size() &&
            file.Close()) {
            wxBusyCursor busy;
            loaded = design_.LoadAsNew(reader_, path.ToStdString(wxConvUTF8), error);
        }
        wxRemoveFile(path);
    }
    if (!loaded) {
        wxMessageBox("The example was not loaded:\n" + wxString::FromUTF8(error), "Load error", wxOK | wxICON_ERROR,
                     window_);
        return false;
    }
    MarkSaved();
    saveFailed_ = false;
    hooks_.replaced();
    hooks_.fileChanged();
    return true;
}

void ProjectDocument::Save() {
    const std::string& document = design_.Document();
    // No file yet, or one that could not be written: the user picks one.
    if (document.empty() || saveFailed_) {
        SaveAs();
        return;
    }
    const std::string& extension = writer_.DefaultExtension();
    if (grovewright::TGFileWriter::WithExtension(document, extension) != document) {
        // Never "t.txt.xml": the dialog offers "t.xml" beside the loaded file.
        const wxFileName loaded(FileName());
        SaveAs(wxFileName(loaded.GetPath(), loaded.GetName(), extension).GetFullPath());
        return;
    }
    writer_.SetFileName(document);
    if (WriteProject()) {
        MarkSaved();
    } else {
        saveFailed_ = true;
        hooks_.fileChanged();
    }
}

bool ProjectDocument::SaveAs(const wxString& suggested) {
    const wxString path = files_.Save("Save as ...", kProjectWildcard, writer_.DefaultExtension(), suggested);
    if (path.empty()) return false;
    writer_.SetFileName(path.ToStdString(wxConvUTF8));
    if (!WriteProject()) {
        saveFailed_ = true;
        hooks_.fileChanged();
        return false;
    }
    design_.SetDocument(writer_.GetFileName());
    saveFailed_ = false;
    MarkSaved();
    hooks_.fileChanged();
    return true;
}

bool ProjectDocument::WriteProject() {
    if (!writer_.Open()) {
        wxMessageBox("Could not open file !", "File error", wxOK, window_);
        return false;
    }
    const grovewright::AbortUnlessClosed unwinding(writer_);
    design_.WriteSections(writer_);
    if (!writer_.Close()) {
        // Nothing was replaced: the previous file is intact. Say why the save failed.
        wxMessageBox("Could not save the project:\n" + wxString::FromUTF8(writer_.LastError()), "File error",
                     wxOK | wxICON_ERROR, window_);
        return false;
    }
    return true;
}

bool ProjectDocument::CheckUnsavedChanges() {
    if (!IsModified()) return true;
    const int answer = wxMessageBox("There are unsaved changes !\nDo you want to save ?", "Save project",
                                    wxYES_NO | wxCANCEL | wxICON_QUESTION, window_);
    // The session ended while the question was open: the design is kept, and the command stops.
    if (answer == wxCANCEL || sessionEnding_) return false;
    // A save that was cancelled or failed stops the command: the design stays.
    if (answer == wxYES) return SaveAs();
    return true;
}

void ProjectDocument::MarkSaved() {
    design_.MarkSaved();
    restored_ = false;
}

bool ProjectDocument::KeepUnsavedDesign() { return !IsModified() || WriteRecoveryFile(); }

bool ProjectDocument::WriteRecoveryFile() {
    const std::string path = grovewright::RecoveryFilePath();
    std::string error = "no data folder: neither XDG_DATA_HOME nor HOME is set";
    if (!path.empty() && grovewright::CreateParentFolder(path, error)) {
        grovewright::TGXMLFileWriter writer;
        writer.SetFileName(path);
        if (writer.Open()) {
            design_.WriteSections(writer);
            if (writer.Close()) return true;
        }
        error = writer.LastError();
    }
    // Nobody can be asked any more (the session is ending): say it where the session logs.
    std::cerr << "Grovewright: the unsaved design could not be kept: " << error << std::endl;
    return false;
}

bool ProjectDocument::OfferRecovery() {
    const wxString path = wxString::FromUTF8(grovewright::RecoveryFilePath());
    if (path.empty() || !wxFileExists(path)) return false;
    const int answer = wxMessageBox(
        "Grovewright was closed by the system while the design had unsaved changes.\n"
        "The design was kept. Do you want to restore it?",
        "Restore design", wxYES_NO | wxICON_QUESTION, window_);
    // Ended again while asking: the file stays for the next start.
    if (sessionEnding_) return true;
    if (answer == wxYES && LoadFile(path, false)) {
        // Still not saved anywhere: closing asks, as it would have before.
        restored_ = true;
        hooks_.fileChanged();
    }
    wxRemoveFile(path);
    return true;
}
