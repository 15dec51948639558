#include "app/ExportCommands.h"

#include <wx/msgdlg.h>
#include <wx/utils.h>


#include "app/FileChooser.h"
#include "io/gui/BillBoardExportDialog.h"
#include "render/ExportSinks.h"
#include "render/LevelsOfDetail.h"
#include "render/MeshBuilder.h"
#include "render/gl/TextureManager.h"
#include "render/gui/DelayedProgress.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

ExportCommands::ExportCommands(wxWindow* window, const grovewright::TreeDesign& design, GrovewrightDrawPanelGL& view,
                               TextureManager& textures, FileChooser& files, const bool& sessionEnding)
    : window_(window), design_(design), view_(view), textures_(textures), files_(files), sessionEnding_(sessionEnding) {}

bool ExportCommands::Withheld() {
    if (!design_.TreeWithheld()) return false;
    wxMessageBox("The tree is too large to be grown, so there is nothing to export. Make it smaller first.",
                 "Design too large", wxOK | wxICON_WARNING, window_);
    return true;
}

grovewright::ModelTextures ExportCommands::ViewTextures() {
    if (view_.GetContext()) view_.SetCurrent(*view_.GetContext());
    textures_.CreateBuiltinTextures();
    grovewright::ModelTextures textures{textures_.Image(TextureManager::Kind::Trunk),
                                        textures_.Image(TextureManager::Kind::Stump),
                                        textures_.Image(TextureManager::Kind::Leaves)};
    // A custom PNG or JPEG goes into the file as it is.
    for (const auto& [kind, texture] : {std::pair{TextureManager::Kind::Trunk, &textures.bark},
                                        {TextureManager::Kind::Stump, &textures.stump},
                                        {TextureManager::Kind::Leaves, &textures.leaves}})
        textures.KeepFile(*texture, textures_.ImageFile(kind));
    textures.barkNormals = textures_.BarkNormals();
    return textures;
}

void ExportCommands::Export(Format format, bool withLeaves) {
    if (Withheld()) return;
    static const struct {
        const char* wildcard;
        const char* extension;
    } kFormats[] = {{"DXF files (*.dxf)|*.dxf", "dxf"},
                    {"X files (*.x)|*.x", "x"},
                    {"glTF binary files (*.glb)|*.glb", "glb"},
                    {"OBJ files (*.obj)|*.obj", "obj"}};
    const auto& kind = kFormats[static_cast<int>(format)];
    const wxString path = files_.Save("Export to ...", kind.wildcard, kind.extension);
    if (path.empty()) return;
    // Model files carry the textures the view shows.
    grovewright::ModelTextures textures;
    if (format == Format::GLB || format == Format::OBJ) textures = ViewTextures();
    auto result = grovewright::ExportResult::Failed;
    std::string error;
    {
        wxBusyCursor busy;
        const std::string file = path.ToStdString(wxConvUTF8);
        grovewright::MeshBuilder builder(design_.Skeleton(), design_.Leaves(), design_.View());
        // Once the export has taken half a second, a progress dialog with Cancel.
        DelayedProgress progress("Export", "Writing " + path, window_, progressDelay_);
        // The session ends: the export stops, and the file that was there stays.
        builder.SetProgress([&](double done) { return !sessionEnding_ && progress.Update(done) && !sessionEnding_; });
        auto write = [&](auto& writer) {
            writer.SetFileName(file);
            result = grovewright::ExportFile(writer, builder, withLeaves);
            error = writer.LastError();
        };
        switch (format) {
            case Format::DXF:
                write(dxfWriter_);
                break;
            case Format::DirectX:
                write(directXWriter_);
                break;
            default:
                result = grovewright::ExportModel(
                    format == Format::GLB ? grovewright::ModelFormat::GLB : grovewright::ModelFormat::OBJ, file,
                    builder, withLeaves, textures, error);
        }
    }
    // Not opened or not finished: reported alike, and the file that was there is intact.
    if (result == grovewright::ExportResult::Failed)
        wxMessageBox("The export was not written:\n" + wxString::FromUTF8(error), "File error", wxOK | wxICON_ERROR,
                     window_);
}

void ExportCommands::ExportLevelsOfDetail() {
    if (Withheld()) return;
    grovewright::DesignSize::ExportNeeds needs;
    needs.levelsOfDetail = true;
    if (const std::string refusal = design_.ExportRefusal(needs); !refusal.empty()) {
        wxMessageBox("The levels of detail were not exported: " + wxString::FromUTF8(refusal) +
                         ". Make the tree smaller first.",
                     "Design too large", wxOK | wxICON_WARNING, window_);
        return;
    }
    const wxString path = files_.Save("Export to ...", "glTF binary files (*.glb)|*.glb", "glb");
    if (path.empty()) return;
    const grovewright::ModelTextures textures = ViewTextures();
    std::string error;
    bool written;
    {
        wxBusyCursor busy;
        grovewright::LevelsOfDetailModel levels;
        auto drawAtlas = [&](const grovewright::ImpostorBox& box, const grovewright::TreeModel* reduced,
                             grovewright::PixelImage& atlas, std::string& why) {
            return view_.DrawImpostorAtlas(box, reduced, atlas, why);
        };
        written = grovewright::MakeLevelsOfDetail(design_.Skeleton(), design_.Leaves(), design_.View(),
                                                  design_.LeafModel(), true, false, drawAtlas, levels, error) &&
                  grovewright::WriteLevelsOfDetail(true, path.ToStdString(wxConvUTF8), levels, textures, error);
    }
    if (!written)
        wxMessageBox("The export was not written:\n" + wxString::FromUTF8(error), "File error", wxOK | wxICON_ERROR,
                     window_);
}

void ExportCommands::ExportBillboard() {
    // The dialog shows the view's lists: they are built now, and nothing can
    // change the design (and so rebuild them) while the modal dialog is open.
    if (!view_.PrepareLists()) return;
    if (!billboard_) billboard_ = new BillBoardExportDialog(window_, &textures_, view_.GetContext());
    float x, y, z;
    view_.GetLightPosition(x, y, z);
    billboard_->SetAmbient(view_.GetAmbient());
    billboard_->SetDiffuse(view_.GetDiffuse());
    billboard_->SetSpecular(view_.GetSpecular());
    billboard_->SetLightPosition(x, y, z);
    billboard_->SetTreeList(&view_.GetTreeList());
    billboard_->SetStumpList(&view_.GetStumpList());
    billboard_->SetLeafList(&view_.GetLeafList());
    billboard_->SetBaseAngle(view_.GetYaw());
    billboard_->SetLighting(view_.IsLightingOn());
    billboard_->ResetView();
    billboard_->ShowModal();
    billboard_->Hide();
}
