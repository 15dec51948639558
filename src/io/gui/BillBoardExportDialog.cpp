#include "io/gui/BillBoardExportDialog.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <cstdlib>

#include "io/BillboardImage.h"
#include "io/ImageFiles.h"
#include "io/gui/BillBoardContext.h"
#include "panels/ChosenPath.h"

namespace {

constexpr int kSide = BillBoardContext::kSidePanelWidth;
constexpr int kBoxWidth = kSide - 8;

// The BMP the toolkit's image writer makes of the read-back picture: top row
// first, scaled by the toolkit when another size was asked for, 24 bits.
bool EncodeBmp(const grovewright::PixelImage& shown, int width, int height, std::string& bytes) {
    wxImage image(shown.width, shown.height, false);
    unsigned char* rgb = image.GetData();
    for (std::size_t at = 0; at < shown.pixels.size(); at += 4, rgb += 3)
        std::copy(&shown.pixels[at], &shown.pixels[at] + 3, rgb);
    image = image.Mirror(false);
    if (width != shown.width || height != shown.height) image.Rescale(width, height);
    wxMemoryOutputStream stream;
    wxLogNull quiet;  // the caller reports a failure
    if (!image.SaveFile(stream, wxBITMAP_TYPE_BMP)) return false;
    bytes.resize(stream.GetLength());
    stream.CopyTo(bytes.data(), bytes.size());
    return true;
}

}  // namespace

BillBoardExportDialog::BillBoardExportDialog(wxWindow* parent, TextureManager* textures, wxGLContext* shared)
    : wxDialog(parent, wxID_ANY, "Export Billboard", wxDefaultPosition, wxSize(800, 550)) {
    SetFont(parent->GetFont());  // the program's small font: the controls' sizes are made for it
    canvas_ = new BillBoardContext(this, textures, shared);
    side_ = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(kSide, 500), wxNO_BORDER | wxTAB_TRAVERSAL);

    // Created in tab order: the two buttons first.
    auto* exportButton = new wxButton(side_, wxID_ANY, "Export", wxDefaultPosition, wxSize(75, 25));
    new wxButton(side_, wxID_CANCEL, "Close", wxDefaultPosition, wxSize(75, 25));
    exportButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ExportBillboard(); });

    new wxStaticBox(side_, wxID_ANY, "Background Color", wxPoint(2, 5), wxSize(kBoxWidth, 80));
    auto* black = new wxRadioButton(side_, wxID_ANY, "Black", wxPoint(20, 40), wxDefaultSize, wxRB_GROUP);
    auto* white = new wxRadioButton(side_, wxID_ANY, "White", wxPoint(100, 40));
    black->SetValue(true);
    black->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
        canvas_->SetClearColour(0);
        blackBackground_ = true;
    });
    white->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
        canvas_->SetClearColour(1);
        blackBackground_ = false;
    });

    new wxStaticBox(side_, wxID_ANY, "Size", wxPoint(2, 102), wxSize(kBoxWidth, 100));
    auto* original = new wxRadioButton(side_, wxID_ANY, "Original", wxPoint(20, 120), wxDefaultSize, wxRB_GROUP);
    auto* custom = new wxRadioButton(side_, wxID_ANY, "Custom", wxPoint(100, 120));
    original->SetValue(true);
    widthLabel_ = new wxStaticText(side_, wxID_ANY, "Width", wxPoint(20, 150));
    heightLabel_ = new wxStaticText(side_, wxID_ANY, "Height", wxPoint(100, 150));
    const wxString sizes[] = {"16", "32", "64", "128", "256", "512", "1024"};
    widthChoice_ = new wxComboBox(side_, wxID_ANY, "128", wxPoint(20, 170), wxSize(75, 25), 7, sizes, wxCB_READONLY);
    heightChoice_ = new wxComboBox(side_, wxID_ANY, "128", wxPoint(100, 170), wxSize(75, 25), 7, sizes, wxCB_READONLY);
    original->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetOriginalSize(true); });
    custom->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetOriginalSize(false); });
    SetOriginalSize(true);

    new wxStaticBox(side_, wxID_ANY, "Angle", wxPoint(2, 219), wxSize(kBoxWidth, 80));
    const struct {
        const char* label;
        wxPoint position;
    } angles[] = {{"0", {20, 235}}, {"90", {100, 235}}, {"180", {20, 265}}, {"270", {100, 265}}};
    for (const auto& angle : angles) {
        auto* button = new wxRadioButton(side_, wxID_ANY, angle.label, angle.position, wxSize(50, 25),
                                         angle.position == angles[0].position ? wxRB_GROUP : 0);
        const float degrees = static_cast<float>(std::atoi(angle.label));
        button->Bind(wxEVT_RADIOBUTTON, [this, degrees](wxCommandEvent&) { canvas_->SetBillboardAngle(degrees); });
        if (!angle0_) angle0_ = button;
    }
    angle0_->SetValue(true);

    new wxStaticText(side_, wxID_ANY, "Use mouse and Ctrl-key to\n\nfit the tree within the window.", wxPoint(12, 310),
                     wxSize(kSide - 20, 80));

    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        LayoutParts();
        event.Skip();
    });
    LayoutParts();
}

void BillBoardExportDialog::LayoutParts() {
    const wxSize client = GetClientSize();
    const wxSize canvas = canvas_->CanvasSize();
    canvas_->SetSize(0, 0, canvas.x, canvas.y);
    side_->SetSize(std::max(0, client.x - kSide), 0, kSide, std::max(1, client.y));
    const wxWindowList& children = side_->GetChildren();
    // The two buttons: 15 pixels from the left, 40 above the bottom, side by side.
    const int buttonsTop = std::max(0, client.y - 40);
    children[0]->SetPosition(wxPoint(15, buttonsTop));
    children[1]->SetPosition(wxPoint(100, buttonsTop));
}

void BillBoardExportDialog::SetOriginalSize(bool original) {
    originalSize_ = original;
    for (wxWindow* control : {static_cast<wxWindow*>(widthLabel_), static_cast<wxWindow*>(heightLabel_),
                              static_cast<wxWindow*>(widthChoice_), static_cast<wxWindow*>(heightChoice_)})
        control->Enable(!original);
}

void BillBoardExportDialog::SetAmbient(float v) { canvas_->SetAmbient(v); }
void BillBoardExportDialog::SetDiffuse(float v) { canvas_->SetDiffuse(v); }
void BillBoardExportDialog::SetSpecular(float v) { canvas_->SetSpecular(v); }
void BillBoardExportDialog::SetLightPosition(float x, float y, float z) { canvas_->SetLightPosition(x, y, z); }
void BillBoardExportDialog::SetTreeList(const GLMesh* mesh) { canvas_->SetTreeList(mesh); }
void BillBoardExportDialog::SetStumpList(const GLMesh* mesh) { canvas_->SetStumpList(mesh); }
void BillBoardExportDialog::SetLeafList(const GLMesh* mesh) { canvas_->SetLeafList(mesh); }
void BillBoardExportDialog::SetBaseAngle(float angle) { canvas_->SetBaseAngle(angle); }
void BillBoardExportDialog::SetLighting(bool on) { canvas_->SetLighting(on); }

void BillBoardExportDialog::ResetView() {
    canvas_->ResetView();
    angle0_->SetValue(true);
}

void BillBoardExportDialog::ExportBillboard() {
    const grovewright::PixelImage shown = canvas_->ReadPixels();
    if (shown.pixels.empty()) return;
    wxFileDialog dialog(this, "Save ...", "", "",
                        "Uncompressed TGA files (*.tga)|*.tga|BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxString chosen = ChosenPath(dialog);
    long width = shown.width, height = shown.height;
    if (!originalSize_ && !(widthChoice_->GetValue().ToLong(&width) && heightChoice_->GetValue().ToLong(&height)))
        return;  // read-only lists of sizes: cannot happen
    using grovewright::BillboardFormat;
    const std::string chosenPath = chosen.ToStdString(wxConvUTF8);
    const BillboardFormat format =
        grovewright::BillboardFormatFor(chosenPath, static_cast<BillboardFormat>(dialog.GetFilterIndex()));
    const std::string path = grovewright::BillboardName(chosenPath, format);
    if (!MayReplace(this, chosen, wxString::FromUTF8(path))) return;

    wxBusyCursor busy;
    std::string bytes, error;
    if (format == BillboardFormat::kBmp) {
        if (!EncodeBmp(shown, static_cast<int>(width), static_cast<int>(height), bytes)) {
            ReportWriteFailure(path + ": the picture could not be encoded as BMP");
            return;
        }
    } else {
        // TGA and PNG: the same sampled pixels and alpha.
        const grovewright::PixelImage sampled =
            grovewright::SampleNearest(shown, static_cast<int>(width), static_cast<int>(height));
        bytes = format == BillboardFormat::kTga ? grovewright::EncodeBillboardTga(sampled, blackBackground_)
                               : grovewright::EncodeBillboardPng(sampled, blackBackground_);
        if (bytes.empty()) {
            ReportWriteFailure(path + ": the picture could not be encoded as PNG");
            return;
        }
    }
    if (!grovewright::WriteFileBytes(path, bytes, error)) ReportWriteFailure(error);
}

void BillBoardExportDialog::ReportWriteFailure(const std::string& error) {
    wxMessageBox("The billboard was not written:\n" + wxString::FromUTF8(error), "File error", wxOK | wxICON_ERROR,
                 this);
}
