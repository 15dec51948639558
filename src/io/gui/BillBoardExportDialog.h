#pragma once

#include <wx/dialog.h>

class BillBoardContext;
class TextureManager;
class wxChoice;
class wxComboBox;
class wxGLContext;
class GLMesh;
class wxPanel;
class wxRadioButton;
class wxStaticText;

// "Export Billboard": the tree in a canvas of its own, framed with the mouse,
// saved as a TGA with alpha (transparent where the background shows) or a BMP,
// at the canvas's size or a chosen one. Created once and kept; closing hides it.
class BillBoardExportDialog : public wxDialog {
public:
    BillBoardExportDialog(wxWindow* parent, TextureManager* textures, wxGLContext* shared);

    // Forwarded to the canvas; the billboard command pushes them before showing the dialog.
    void SetAmbient(float v);
    void SetDiffuse(float v);
    void SetSpecular(float v);
    void SetLightPosition(float x, float y, float z);
    // The view's meshes the canvas draws (in the shared context); none draws nothing.
    void SetTreeList(const GLMesh* mesh);
    void SetStumpList(const GLMesh* mesh);
    void SetLeafList(const GLMesh* mesh);
    void SetBaseAngle(float angle);
    void SetLighting(bool on);
    // Pan, zoom and tilt back to their start, and angle 0.
    void ResetView();

    // Reads the canvas back, asks for a file and writes the billboard into it;
    // a failed write is reported and leaves the previous file as it was.
    void ExportBillboard();

    BillBoardContext* Canvas() const { return canvas_; }
    bool BlackBackground() const { return blackBackground_; }
    bool OriginalSize() const { return originalSize_; }

private:
    // The canvas takes the client area left of the side panel.
    void LayoutParts();
    void SetOriginalSize(bool original);
    void ReportWriteFailure(const std::string& error);

    BillBoardContext* canvas_;
    wxPanel* side_;
    wxRadioButton* angle0_ = nullptr;
    wxStaticText* widthLabel_;
    wxStaticText* heightLabel_;
    wxComboBox* widthChoice_;
    wxComboBox* heightChoice_;
    bool blackBackground_ = true;
    bool originalSize_ = true;
};
