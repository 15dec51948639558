#include "generators/gui/AbstractGrovewright.h"

#include <wx/statbox.h>

#include <algorithm>
#include <stdexcept>

#include "generators/gui/AbstractLeafCreator.h"
#include "geometry/SkeletonLevels.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

using grovewright::ValueFormat;

namespace {

// Height of the base area at the bottom of the page's column.
constexpr int kBaseAreaHeight = 280;
constexpr int kColumnWidth = 280;
// The custom area is never made lower than this: its notebook's tabs and the
// simple page's rows fit. A shorter page scrolls instead.
constexpr int kCustomAreaMinHeight = 210;

}  // namespace

AbstractGrovewright::AbstractGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator,
                                         grovewright::TGXMLFileWriter& writer,
                                         GrovewrightDrawPanelGL& drawPanel, grovewright::SkeletonLevels& skeleton,
                                         std::unique_ptr<grovewright::TreeGeneratorModel> model)
    : wxPanel(parent, wxID_ANY),
      leafCreator_(leafCreator),
      writer_(writer),
      drawPanel_(drawPanel),
      skeleton_(skeleton),
      model_(std::move(model)) {
    BuildPage();
    SetMeshMode(false);
    Bind(wxEVT_SIZE, &AbstractGrovewright::OnSize, this);
    PushLightValues();
}

void AbstractGrovewright::AddRow(const char* name, std::unique_ptr<SliderRow> row, std::function<void(int)> edit) {
    rows_.Add(name, std::move(row)).OnEdit(std::move(edit));
}

void AbstractGrovewright::BuildPage() {
    outer_ = new wxScrolledWindow(this, wxID_ANY);
    outer_->SetScrollRate(0, 10);
    column_ =
        new wxPanel(outer_, wxID_ANY, wxPoint(0, 0), wxSize(kColumnWidth, kBaseAreaHeight + kCustomAreaMinHeight));
    // Sized as at the smallest layout from the start: GTK complains about notebooks
    // allocated smaller than their tabs.
    customArea_ = new wxPanel(column_, wxID_ANY, wxPoint(0, 0), wxSize(kColumnWidth, kCustomAreaMinHeight));
    customBox_ = new wxStaticBox(customArea_, wxID_ANY, "Custom Settings");
    notebook_ = new wxNotebook(customArea_, wxID_ANY, wxPoint(5, 15),
                               wxSize(kColumnWidth - 10, kCustomAreaMinHeight - 20));
    baseArea_ = new wxPanel(column_, wxID_ANY);
    // The wheel over the rows scrolls the page: wx does not pass mouse events on
    // to the parent, so the page scrolls by the event's lines itself.
    for (wxWindow* area : {static_cast<wxWindow*>(column_), static_cast<wxWindow*>(customArea_),
                           static_cast<wxWindow*>(baseArea_)})
        area->Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& event) {
            const int notches = -event.GetWheelRotation() / std::max(1, event.GetWheelDelta());
            const int lines = notches * event.GetLinesPerAction();
            const wxPoint start = outer_->GetViewStart();
            outer_->Scroll(start.x, std::max(0, start.y + lines));
        });
    wxPanel* area = baseArea_;
    new wxStaticBox(area, wxID_ANY, "Basic Settings", wxPoint(0, 0), wxSize(280, 280));

    const grovewright::BaseSetup& base = model_->Base();
    auto slider = [&](const char* prefix, ValueFormat format, int value, grovewright::ParameterRange range, int y,
                      int labelWidth) {
        return std::make_unique<SliderRow>(area, prefix, format, value, range.min, range.max,
                                           SliderRow::Place{10, y, labelWidth, 25}, SliderRow::Place{160, y, 100, 25});
    };
    using B = grovewright::BaseSetup;
    AddRow("Iteration", slider("Iteration: ", ValueFormat::Integer, base.Iteration(), B::kIteration, 20, 100),
           [this](int v) {
               SetIteration(v);
               Edited();
           });
    AddRow("Diameter", slider("Diameter: ", ValueFormat::Metres, base.Diameter(), B::kDiameter, 20, 100),
           [this](int v) {
               SetDiameter(v);
               Edited();
           });
    AddRow("Height", slider("Height: ", ValueFormat::Metres, base.Height(), B::kHeight, 50, 100),
           [this](int v) {
               SetHeight(v);
               Edited();
           });
    AddRow("DiameterReduction",
           slider("DiameterRed.: ", ValueFormat::Hundredths, base.DiameterReduction(), B::kDiameterReduction, 50, 140),
           [this](int v) {
               SetDiameterReduction(v);
               Edited();
           });
    AddRow("HeightReduction",
           slider("Heightred.: ", ValueFormat::Hundredths, base.HeightReduction(), B::kHeightReduction, 80, 120),
           [this](int v) {
               SetHeightReduction(v);
               Edited();
           });
    AddRow("Division", slider("Division: ", ValueFormat::Integer, base.Division(), B::kDivision, 80, 100),
           [this](int v) {
               // The skeleton does not depend on the division: only the mesh changes.
               SetDivision(v);
               drawPanel_.SetDivision(model_->Base().Division());
               drawPanel_.Redraw(0);
               modified_ = true;
           });
    AddRow("ExtendTo", slider("Extend to: ", ValueFormat::Integer, base.ExtendTo(), B::kExtendTo, 110, 100),
           [this](int v) {
               SetExtendTo(v);
               Edited();
           });
    AddRow("Cut", std::make_unique<SliderRow>(area, "Cut: ", base.Cut(), SliderRow::Place{10, 110, 100, 25},
                                              wxPoint(160, 110)),
           [this](int) {
               SetCut(!model_->Base().Cut());
               Edited();
           });
    AddRow("ObliqueAngle", slider("Oblique: ", ValueFormat::Integer, base.ObliqueAngle(), B::kObliqueAngle, 140, 100),
           [this](int v) {
               SetObliqueAngle(v);
               Edited();
           });
    AddRow("OrientationAngle",
           slider("Ori: ", ValueFormat::Integer, base.OrientationAngle(), B::kOrientationAngle, 170, 100),
           [this](int v) {
               SetOrientationAngle(v);
               Edited();
           });

    new wxStaticBox(area, wxID_ANY, "Light Position", wxPoint(5, 195), wxSize(110, 80));
    lightSlider_ = new wxSlider(area, wxID_ANY, 90, 0, 180, wxPoint(10, 230), SliderRow::SliderSize(100, 25));
    new wxStaticBox(area, wxID_ANY, "Light Settings", wxPoint(125, 195), wxSize(150, 80));
    new wxStaticText(area, wxID_ANY, wxGetTranslation("Amb: "), wxPoint(135, 215), wxSize(40, 25));
    ambientSlider_ = new wxSlider(area, wxID_ANY, 100, 0, 100, wxPoint(185, 215), SliderRow::SliderSize(80, 25));
    new wxStaticText(area, wxID_ANY, wxGetTranslation("Diff: "), wxPoint(135, 245), wxSize(40, 25));
    diffuseSlider_ = new wxSlider(area, wxID_ANY, 100, 0, 100, wxPoint(185, 245), SliderRow::SliderSize(80, 25));

    // Light edits change the picture, not the design: not marked as modified.
    auto bindScroll = [](wxSlider* slider, std::function<void()> handler) {
        for (auto type : {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                          wxEVT_SCROLL_PAGEDOWN})
            slider->Bind(type, [handler](wxScrollEvent&) { handler(); });
    };
    bindScroll(ambientSlider_, [this] {
        drawPanel_.SetAmbient(ambientSlider_->GetValue() / 100.0f);
        drawPanel_.Redraw(1);
    });
    bindScroll(diffuseSlider_, [this] {
        drawPanel_.SetDiffuse(diffuseSlider_->GetValue() / 100.0f);
        drawPanel_.Redraw(1);
    });
    bindScroll(lightSlider_, [this] {
        PushLightValues();
        drawPanel_.SetLightPosition(static_cast<float>(lightPosition_.x), static_cast<float>(lightPosition_.y),
                                    static_cast<float>(lightPosition_.z));
        drawPanel_.Redraw(1);
    });
}

void AbstractGrovewright::OnSize(wxSizeEvent& event) {
    const wxSize page = GetClientSize();
    outer_->SetSize(0, 0, page.x, page.y, wxSIZE_AUTO);
    // The column fills the page, but never gets lower than its rows need: a
    // shorter page scrolls the column instead of clipping rows.
    const int columnHeight = std::max(page.y, kBaseAreaHeight + kCustomAreaMinHeight);
    outer_->SetVirtualSize(kColumnWidth, columnHeight);
    const wxPoint top = outer_->CalcScrolledPosition(wxPoint(0, 0));
    column_->SetSize(top.x, top.y, kColumnWidth, columnHeight, wxSIZE_AUTO);
    const int customHeight = columnHeight - kBaseAreaHeight;
    baseArea_->SetSize(0, customHeight, kColumnWidth, kBaseAreaHeight, wxSIZE_AUTO);
    customArea_->SetSize(0, 0, kColumnWidth, customHeight, wxSIZE_AUTO);
    customBox_->SetSize(0, 0, kColumnWidth, customHeight, wxSIZE_AUTO);
    notebook_->SetSize(5, 15, kColumnWidth - 10, customHeight - 20, wxSIZE_AUTO);
    event.Skip();
}

SliderRow& AbstractGrovewright::Row(const std::string& name) { return rows_[name]; }

void AbstractGrovewright::ShowRow(const char* name, int value, bool accepted) {
    if (accepted) Row(name).Show(value);
}

void AbstractGrovewright::SetIteration(int v) { ShowRow("Iteration", v, model_->Base().SetIteration(v)); }
void AbstractGrovewright::SetHeight(int v) { ShowRow("Height", v, model_->Base().SetHeight(v)); }
void AbstractGrovewright::SetHeightReduction(int v) {
    ShowRow("HeightReduction", v, model_->Base().SetHeightReduction(v));
}
void AbstractGrovewright::SetExtendTo(int v) { ShowRow("ExtendTo", v, model_->Base().SetExtendTo(v)); }
void AbstractGrovewright::SetDivision(int v) { ShowRow("Division", v, model_->Base().SetDivision(v)); }
void AbstractGrovewright::SetDiameter(int v) { ShowRow("Diameter", v, model_->Base().SetDiameter(v)); }
void AbstractGrovewright::SetDiameterReduction(int v) {
    ShowRow("DiameterReduction", v, model_->Base().SetDiameterReduction(v));
}

void AbstractGrovewright::SetObliqueAngle(int v) {
    if (!model_->Base().SetObliqueAngle(v)) return;
    Row("ObliqueAngle").Show(v);
    drawPanel_.SetObliqueAngle(v);
}

void AbstractGrovewright::SetOrientationAngle(int v) {
    if (!model_->Base().SetOrientationAngle(v)) return;
    Row("OrientationAngle").Show(v);
    drawPanel_.SetOrientationAngle(v);
}

void AbstractGrovewright::SetCut(bool cut) {
    model_->Base().SetCut(cut);
    Row("Cut").Show(cut);
}

void AbstractGrovewright::ShowValues() {
    const grovewright::BaseSetup& base = model_->Base();
    Row("Iteration").Show(base.Iteration());
    Row("Height").Show(base.Height());
    Row("HeightReduction").Show(base.HeightReduction());
    Row("ExtendTo").Show(base.ExtendTo());
    Row("ObliqueAngle").Show(base.ObliqueAngle());
    Row("OrientationAngle").Show(base.OrientationAngle());
    Row("Division").Show(base.Division());
    Row("Diameter").Show(base.Diameter());
    Row("DiameterReduction").Show(base.DiameterReduction());
    Row("Cut").Show(base.Cut());
}

void AbstractGrovewright::Reset() {
    rebuildEnabled_ = false;
    model_->Reset();
    ShowValues();
    drawPanel_.SetObliqueAngle(model_->Base().ObliqueAngle());
    drawPanel_.SetOrientationAngle(model_->Base().OrientationAngle());
    rebuildEnabled_ = true;
    RebuildAndRedraw();
}

void AbstractGrovewright::ShowLoadedSetup() {
    ShowValues();
    drawPanel_.SetObliqueAngle(model_->Base().ObliqueAngle());
    drawPanel_.SetOrientationAngle(model_->Base().OrientationAngle());
}

void AbstractGrovewright::SetMeshMode(bool on) {
    meshMode_ = on;
    for (const char* name : {"Iteration", "Height", "HeightReduction", "ExtendTo"}) Row(name).SetVisible(!on);
    for (const char* name : {"Diameter", "DiameterReduction", "Division", "Cut"}) Row(name).SetVisible(on);
}

bool AbstractGrovewright::Rebuild() {
    if (!rebuildEnabled_) return true;
    model_->Rebuild(skeleton_);
    model_->PushMeshValues(drawPanel_.TreeValues());
    return true;
}

void AbstractGrovewright::RebuildAndRedraw() {
    Rebuild();
    leafCreator_.Generate();
    drawPanel_.Redraw(0);
}

void AbstractGrovewright::Edited() {
    RebuildAndRedraw();
    modified_ = true;
}

void AbstractGrovewright::PushLightValues() {
    lightPosition_ = grovewright::Vector3D(100, 0, -20);
    lightPosition_.RotateZ(lightSlider_->GetValue());
    PushCurrentLight();
}

void AbstractGrovewright::PushCurrentLight() {
    drawPanel_.SetAmbient(ambientSlider_->GetValue() / 100.0f);
    drawPanel_.SetDiffuse(diffuseSlider_->GetValue() / 100.0f);
    drawPanel_.SetLightPosition(static_cast<float>(lightPosition_.x), static_cast<float>(lightPosition_.y),
                                static_cast<float>(lightPosition_.z));
    drawPanel_.Redraw(1);
}
