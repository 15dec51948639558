#pragma once

#include <wx/window.h>

#include "generators/TreeDesign.h"
#include "io/TGDXFFileWriter.h"
#include "io/ModelFiles.h"
#include "io/TGDirectXFileWriter.h"

class BillBoardExportDialog;
class FileChooser;
class GrovewrightDrawPanelGL;
class TextureManager;

// The File > Export commands: the shown tree (and its leaves) written as DXF,
// DirectX, glTF or OBJ with a progress dialog once it takes a while, and the
// billboard dialog.
class ExportCommands {
public:
    enum class Format { DXF, DirectX, GLB, OBJ };

    // sessionEnding: set when the session ends without a question; a running export then stops.
    ExportCommands(wxWindow* window, const grovewright::TreeDesign& design, GrovewrightDrawPanelGL& view,
                   TextureManager& textures, FileChooser& files, const bool& sessionEnding);

    // Asks for the file and writes it; says why when it could not be written.
    void Export(Format format, bool withLeaves);
    // Asks for a .glb and writes the tree and its leaves with levels of detail
    // down to an impostor whose pictures the view draws.
    void ExportLevelsOfDetail();
    // Opens the billboard dialog (created on first use) on the view's tree and light.
    void ExportBillboard();
    // How long an export runs before its progress dialog appears (tests shorten it).
    void SetProgressDelay(long milliseconds) { progressDelay_ = milliseconds; }

private:
    // The textures the view shows, as model files take them (a custom PNG or JPEG as it is).
    grovewright::ModelTextures ViewTextures();
    // Says so and returns true when the tree was too large to be grown.
    bool Withheld();

    wxWindow* window_;
    const grovewright::TreeDesign& design_;
    GrovewrightDrawPanelGL& view_;
    TextureManager& textures_;
    FileChooser& files_;
    const bool& sessionEnding_;
    grovewright::TGDXFFileWriter dxfWriter_;
    grovewright::TGDirectXFileWriter directXWriter_;
    BillBoardExportDialog* billboard_ = nullptr;
    long progressDelay_ = 500;
};
