#include "generators/gui/AbstractGrovewright.h"

#include <wx/statbox.h>

#include <algorithm>
#include <memory>

namespace {

// Heights of the base area and, below it at the bottom of the page's column,
// the Growth box, then the Form box below it (its height by its rows).
constexpr int kBaseAreaHeight = 280;
constexpr int kGrowthBoxHeight = 235;
constexpr int kFormBoxGap = 5;
constexpr int kRowStep = 30;

// The Form box's rows, in order.
using G = grovewright::GrowthSetup;
constexpr G::Index kFormRows[] = {G::kPruning,    G::kCrownShape, G::kCrownBase,  G::kCrownWidth,
                                  G::kFlareWidth, G::kFlareHeight, G::kRoots,     G::kRootLength,
                                  G::kRootDepth,  G::kRootRise,   G::kSmoothBends};

// The Crown growth box's rows, in order (regular and complex generators).
constexpr G::Index kCrownRows[] = {G::kCrownPoints, G::kCrownReach, G::kCrownStep,   G::kCrownKill,    G::kCrownLight,
                                   G::kCrownFrom,   G::kCrownLevels, G::kPipeRule, G::kPipeExponent};

template <std::size_t N>
int RowCount(const G::Index (&rows)[N], int generator) {
    int count = 0;
    for (G::Index index : rows) count += G::AppliesTo(generator, index) ? 1 : 0;
    return count;
}
// A box's height for its rows: its title, the rows and a margin; none without rows.
int BoxHeight(int rows) { return rows == 0 ? 0 : 20 + kRowStep * rows + 5; }
constexpr int kColumnWidth = 280;
// The custom area is never made lower than this: its notebook's tabs and the
// simple page's rows fit. A shorter page scrolls instead.
constexpr int kCustomAreaMinHeight = 210;

}  // namespace

AbstractGrovewright::AbstractGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator)
    : wxPanel(parent, wxID_ANY),
      design_(design),
      generator_(generator),
      lightPosition_(grovewright::LightSettings::PositionForSlider(grovewright::LightSettings::kSliderStart)) {
    Bind(wxEVT_SIZE, &AbstractGrovewright::OnSize, this);
}

void AbstractGrovewright::MakeControls() {
    if (HasControls()) return;
    BuildPage();
    MakeCustomPages(notebook_);
    ShowModeRows();
    // A page not sized yet is laid out by its first size event: at its tiny
    // first size the scroll bars would not fit.
    if (sized_) LayOutControls();
}

void AbstractGrovewright::BuildPage() {
    outer_ = new wxScrolledWindow(this, wxID_ANY);
    outer_->SetScrollRate(0, 10);
    column_ = new wxPanel(outer_, wxID_ANY, wxPoint(0, 0),
                          wxSize(kColumnWidth, kBaseAreaHeight + GrowthAreaHeight() + kCustomAreaMinHeight));
    // Sized as at the smallest layout from the start: GTK complains about notebooks
    // allocated smaller than their tabs.
    customArea_ = new wxPanel(column_, wxID_ANY, wxPoint(0, 0), wxSize(kColumnWidth, kCustomAreaMinHeight));
    customBox_ = new wxStaticBox(customArea_, wxID_ANY, "Custom Settings");
    notebook_ = new wxNotebook(customArea_, wxID_ANY, wxPoint(5, 15),
                               wxSize(kColumnWidth - 10, kCustomAreaMinHeight - 20));
    baseArea_ = new wxPanel(column_, wxID_ANY);
    growthArea_ = new wxPanel(column_, wxID_ANY);
    // The wheel over the rows scrolls the page: wx does not pass mouse events on
    // to the parent, so the page scrolls by the event's lines itself.
    for (wxWindow* area : {static_cast<wxWindow*>(column_), static_cast<wxWindow*>(customArea_),
                           static_cast<wxWindow*>(baseArea_), static_cast<wxWindow*>(growthArea_)})
        area->Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& event) { ScrollByWheel(*outer_, event); });
    wxPanel* area = baseArea_;
    new wxStaticBox(area, wxID_ANY, "Basic Settings", wxPoint(0, 0), wxSize(280, 280));

    // Name, row and label width of every row; rows that share a place are the
    // two sets SetMeshMode swaps.
    using B = grovewright::BaseSetup;
    const struct {
        const char* name;
        B::Index index;
        int y, labelWidth;
    } rows[] = {{"Iteration", B::kIteration, 20, 100},       {"Diameter", B::kDiameter, 20, 100},
                {"Height", B::kHeight, 50, 100},             {"DiameterReduction", B::kDiameterReduction, 50, 140},
                {"HeightReduction", B::kHeightReduction, 80, 120}, {"Division", B::kDivision, 80, 100},
                {"ExtendTo", B::kExtendTo, 110, 100},        {"Cut", B::kCut, 110, 100},
                {"ObliqueAngle", B::kObliqueAngle, 140, 100}, {"OrientationAngle", B::kOrientationAngle, 170, 100}};
    for (const auto& row : rows) {
        const grovewright::ParameterId id = grovewright::ParameterId::Base(generator_, row.index);
        rows_.Add(row.name, std::make_unique<SliderRow>(area, design_, id, SliderRow::Place{10, row.y, row.labelWidth, 25},
                                                        SliderRow::Place{160, row.y, 100, 25}));
    }

    new wxStaticBox(area, wxID_ANY, "Light Position", wxPoint(5, 195), wxSize(110, 80));
    lightSlider_ = new wxSlider(area, wxID_ANY, grovewright::LightSettings::kSliderStart, 0, 180, wxPoint(10, 230),
                                SliderRow::SliderSize(100, 25));
    new wxStaticBox(area, wxID_ANY, "Light Settings", wxPoint(125, 195), wxSize(150, 80));
    new wxStaticText(area, wxID_ANY, wxGetTranslation("Amb: "), wxPoint(135, 215), wxSize(40, 25));
    ambientSlider_ = new wxSlider(area, wxID_ANY, 100, 0, 100, wxPoint(185, 215), SliderRow::SliderSize(80, 25));
    new wxStaticText(area, wxID_ANY, wxGetTranslation("Diff: "), wxPoint(135, 245), wxSize(40, 25));
    diffuseSlider_ = new wxSlider(area, wxID_ANY, 100, 0, 100, wxPoint(185, 245), SliderRow::SliderSize(80, 25));

    BuildGrowthRows();

    // Light edits change the picture, not the design: no undo step, not modified.
    for (wxSlider* slider : {lightSlider_, ambientSlider_, diffuseSlider_})
        for (auto type : {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                          wxEVT_SCROLL_PAGEDOWN})
            slider->Bind(type, [this](wxScrollEvent&) { PushLightValues(); });
}

void AbstractGrovewright::BuildGrowthRows() {
    wxPanel* area = growthArea_;
    new wxStaticBox(area, wxID_ANY, wxGetTranslation("Growth"), wxPoint(0, 0), wxSize(kColumnWidth, kGrowthBoxHeight));
    auto addRow = [&](G::Index index, int y) {
        rows_.Add(G::kParameters[index].name,
                  std::make_unique<SliderRow>(area, design_, grovewright::ParameterId::Growth(generator_, index),
                                              SliderRow::Place{10, y, 140, 25}, SliderRow::Place{160, y, 100, 25}));
    };
    int y = 20;
    for (G::Index index : {G::kSeed, G::kLengthVariation, G::kAngleVariation, G::kGravity, G::kBend, G::kStiffness}) {
        addRow(index, y);
        y += kRowStep;
    }
    newSeedButton_ = new wxButton(area, wxID_ANY, wxGetTranslation("New seed"), wxPoint(10, y));
    newSeedButton_->SetToolTip(wxGetTranslation("Grows another variation of this design: picks a new seed."));
    newSeedButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { NewSeed(); });

    // The Form box, then (for the generators that fill a crown) the Crown growth box.
    int top = kGrowthBoxHeight + kFormBoxGap;
    auto addBox = [&](const char* title, const auto& indices) {
        const int rows = RowCount(indices, generator_);
        if (rows == 0) return;
        new wxStaticBox(area, wxID_ANY, wxGetTranslation(title), wxPoint(0, top), wxSize(kColumnWidth, BoxHeight(rows)));
        y = top + 20;
        for (G::Index index : indices) {
            if (!G::AppliesTo(generator_, index)) continue;
            addRow(index, y);
            y += kRowStep;
        }
        top += BoxHeight(rows) + kFormBoxGap;
    };
    addBox("Form", kFormRows);
    addBox("Crown growth", kCrownRows);
}

int AbstractGrovewright::GrowthAreaHeight() const {
    const int crown = BoxHeight(RowCount(kCrownRows, generator_));
    return kGrowthBoxHeight + kFormBoxGap + BoxHeight(RowCount(kFormRows, generator_)) +
           (crown > 0 ? kFormBoxGap + crown : 0);
}

void AbstractGrovewright::NewSeed() {
    const grovewright::ParameterId seed = grovewright::ParameterId::Growth(generator_, grovewright::GrowthSetup::kSeed);
    const grovewright::ParameterRange range = grovewright::GrowthSetup::Range(grovewright::GrowthSetup::kSeed);
    // Any other seed: a step of 1 .. max from the current one, around the range.
    std::uniform_int_distribution<int> step(1, range.max - range.min);
    const int span = range.max - range.min + 1;
    const int next = range.min + (design_.Get(seed) - range.min + step(seedPicker_)) % span;
    design_.Apply(seed, next);
}

void AbstractGrovewright::OnSize(wxSizeEvent& event) {
    sized_ = true;
    if (HasControls()) LayOutControls();
    event.Skip();
}

void AbstractGrovewright::LayOutControls() {
    const wxSize page = GetClientSize();
    outer_->SetSize(0, 0, page.x, page.y, wxSIZE_AUTO);
    // The column fills the page, but never gets lower than its rows need: a
    // shorter page scrolls the column instead of clipping rows.
    const int columnHeight = std::max(page.y, kBaseAreaHeight + GrowthAreaHeight() + kCustomAreaMinHeight);
    outer_->SetVirtualSize(kColumnWidth, columnHeight);
    const wxPoint top = outer_->CalcScrolledPosition(wxPoint(0, 0));
    column_->SetSize(top.x, top.y, kColumnWidth, columnHeight, wxSIZE_AUTO);
    const int customHeight = columnHeight - kBaseAreaHeight - GrowthAreaHeight();
    baseArea_->SetSize(0, customHeight, kColumnWidth, kBaseAreaHeight, wxSIZE_AUTO);
    growthArea_->SetSize(0, customHeight + kBaseAreaHeight, kColumnWidth, GrowthAreaHeight(), wxSIZE_AUTO);
    customArea_->SetSize(0, 0, kColumnWidth, customHeight, wxSIZE_AUTO);
    customBox_->SetSize(0, 0, kColumnWidth, customHeight, wxSIZE_AUTO);
    notebook_->SetSize(5, 15, kColumnWidth - 10, customHeight - 20, wxSIZE_AUTO);
}

SliderRow& AbstractGrovewright::Row(const std::string& name) { return MadeControls().rows_[name]; }

void AbstractGrovewright::SetBase(grovewright::BaseSetup::Index index, int value) {
    design_.Set(grovewright::ParameterId::Base(generator_, index), value);
}

void AbstractGrovewright::SetIteration(int v) { SetBase(grovewright::BaseSetup::kIteration, v); }
void AbstractGrovewright::SetHeight(int v) { SetBase(grovewright::BaseSetup::kHeight, v); }
void AbstractGrovewright::SetHeightReduction(int v) { SetBase(grovewright::BaseSetup::kHeightReduction, v); }
void AbstractGrovewright::SetExtendTo(int v) { SetBase(grovewright::BaseSetup::kExtendTo, v); }
void AbstractGrovewright::SetObliqueAngle(int v) { SetBase(grovewright::BaseSetup::kObliqueAngle, v); }
void AbstractGrovewright::SetOrientationAngle(int v) { SetBase(grovewright::BaseSetup::kOrientationAngle, v); }
void AbstractGrovewright::SetDivision(int v) { SetBase(grovewright::BaseSetup::kDivision, v); }
void AbstractGrovewright::SetDiameter(int v) { SetBase(grovewright::BaseSetup::kDiameter, v); }
void AbstractGrovewright::SetDiameterReduction(int v) { SetBase(grovewright::BaseSetup::kDiameterReduction, v); }
void AbstractGrovewright::SetCut(bool cut) { SetBase(grovewright::BaseSetup::kCut, cut ? 1 : 0); }

void AbstractGrovewright::Reset() { design_.ResetGenerator(generator_); }

bool AbstractGrovewright::IsModified() const {
    return design_.ScopeModified(grovewright::TreeDesign::GeneratorScope(generator_));
}

void AbstractGrovewright::ClearModified() { design_.ClearScope(grovewright::TreeDesign::GeneratorScope(generator_)); }

void AbstractGrovewright::SetMeshMode(bool on) {
    meshMode_ = on;
    if (HasControls()) ShowModeRows();
}

void AbstractGrovewright::ShowModeRows() {
    for (const char* name : {"Iteration", "Height", "HeightReduction", "ExtendTo"}) Row(name).SetVisible(!meshMode_);
    for (const char* name : {"Diameter", "DiameterReduction", "Division", "Cut"}) Row(name).SetVisible(meshMode_);
}

bool AbstractGrovewright::Rebuild() {
    design_.SetActiveGenerator(generator_);
    return true;
}

void AbstractGrovewright::PushLightValues() {
    MakeControls();
    lightPosition_ = grovewright::LightSettings::PositionForSlider(lightSlider_->GetValue());
    PushCurrentLight();
}

void AbstractGrovewright::PushCurrentLight() {
    MakeControls();
    grovewright::LightSettings light;
    light.ambient = ambientSlider_->GetValue() / 100.0f;
    light.diffuse = diffuseSlider_->GetValue() / 100.0f;
    light.position[0] = static_cast<float>(lightPosition_.x);
    light.position[1] = static_cast<float>(lightPosition_.y);
    light.position[2] = static_cast<float>(lightPosition_.z);
    design_.SetLight(light);
}
