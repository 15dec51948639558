#include "panels/BranchSetupPanel.h"

#include <algorithm>

using grovewright::BranchSetup;

namespace {

// The y of every slider row, in the order of the values.
const int kSliderY[BranchSetup::kValueCount] = {20, 20, 50, 80, 110, 140, 200, 170};
// The form rows follow the last check box after a gap, a row every 30 pixels.
constexpr int kFormGap = 15, kRowStep = 30;
constexpr int kFormRowCount = BranchSetup::kCount - BranchSetup::kFileCount;
// The page's height in scroll units of 5 pixels: every row of the Line mode
// (regular and complex pages: the flags, then the form rows), or the two rows of
// the mesh modes.
constexpr int kUnit = 5, kMeshModeUnits = 16;
// The check boxes end at 260 (regular) and 350 (complex).
constexpr int kRegularUnits = (260 + kFormGap + kRowStep * kFormRowCount) / kUnit;
constexpr int kComplexUnits = (350 + kFormGap + kRowStep * kFormRowCount) / kUnit;
// Wide enough for every row (labels, sliders and check boxes end before 230).
constexpr int kContentWidth = 240;

}  // namespace

BranchSetupPanel::BranchSetupPanel(wxWindow* parent, int level, grovewright::TreeDesign& design, int generator)
    : wxScrolledWindow(parent, wxID_ANY), design_(design), generator_(generator), level_(level) {}

void BranchSetupPanel::MakeRows() {
    if (HasRows()) return;
    grovewright::TreeDesign& design = design_;
    content_ = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxSize(kContentWidth, kComplexUnits * kUnit));
    // Mouse events do not travel to the page: the wheel over the rows scrolls it here.
    content_->Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& event) { ScrollByWheel(*this, event); });
    // Rows in the order of the page: Diameter, Height ... OriAngle (AddAngle above it), flags, Cut last.
    for (int v : {BranchSetup::kDiameter, BranchSetup::kHeight, BranchSetup::kHeightReduction, BranchSetup::kRelativAdd,
                  BranchSetup::kAddFrom, BranchSetup::kAddTo, BranchSetup::kAddAngle, BranchSetup::kOriAngle}) {
        const int y = kSliderY[v];
        rows_.Add(BranchSetup::kParameters[v].name,
                  std::make_unique<SliderRow>(content_, design, Id(v), SliderRow::Place{10, y, 100, 25},
                                              SliderRow::Place{120, y, 100, 25}));
    }
    int y = 230;
    for (BranchSetup::Flag flag : FlagRows()) {
        const int rowY = flag == BranchSetup::kCut ? 50 : y;
        if (flag != BranchSetup::kCut) y += kRowStep;
        rows_.Add(BranchSetup::kParameters[BranchSetup::FlagIndex(flag)].name,
                  std::make_unique<SliderRow>(content_, design, Id(BranchSetup::FlagIndex(flag)),
                                              SliderRow::Place{10, rowY, 100, 25}, SliderRow::Place{120, rowY, 0, 0}));
    }
    y += kFormGap;
    for (int v = BranchSetup::kFileCount; v < BranchSetup::kCount; ++v, y += kRowStep)
        rows_.Add(BranchSetup::kParameters[v].name,
                  std::make_unique<SliderRow>(content_, design, Id(v), SliderRow::Place{10, y, 100, 25},
                                              SliderRow::Place{120, y, 100, 25}));
    if (Setup().IsComplex())
        design.AddObserver([this](const grovewright::DesignChange& change) {
            if (change.valuesChanged &&
                (!change.parameter || *change.parameter == Id(BranchSetup::FlagIndex(BranchSetup::kOnlyTrunc))))
                ShowTruncBranchesEnabled();
        });
    ShowModeRows();
    if (Setup().IsComplex()) ShowTruncBranchesEnabled();
}

const BranchSetup& BranchSetupPanel::Setup() const { return design_.Branches(generator_).Page(level_ - 1); }

SliderRow& BranchSetupPanel::FlagRow(BranchSetup::Flag flag) const {
    return rows_[BranchSetup::kParameters[BranchSetup::FlagIndex(flag)].name];
}

std::vector<BranchSetup::Flag> BranchSetupPanel::FlagRows() const {
    if (Setup().IsComplex())
        return {BranchSetup::kOnlyTrunc, BranchSetup::kTruncBranches, BranchSetup::kUseTwist, BranchSetup::kUseBranch,
                BranchSetup::kCut};
    return {BranchSetup::kUseBranch, BranchSetup::kCut};
}

void BranchSetupPanel::Set(BranchSetup::Value value, int v) { design_.Set(Id(value), v); }

void BranchSetupPanel::SetFlag(BranchSetup::Flag flag, bool on) { design_.Set(Id(BranchSetup::FlagIndex(flag)), on); }

void BranchSetupPanel::ShowTruncBranchesEnabled() {
    FlagRow(BranchSetup::kTruncBranches).SetEnabled(!Setup().Get(BranchSetup::kOnlyTrunc));
}

void BranchSetupPanel::SetMeshMode(bool on) {
    meshMode_ = on;
    if (HasRows()) ShowModeRows();
}

void BranchSetupPanel::ShowModeRows() {
    const bool on = meshMode_;
    for (int v = BranchSetup::kHeight; v < BranchSetup::kValueCount; ++v)
        rows_[BranchSetup::kParameters[v].name].SetVisible(!on);
    for (int v = BranchSetup::kFileCount; v < BranchSetup::kCount; ++v)
        rows_[BranchSetup::kParameters[v].name].SetVisible(!on);
    for (BranchSetup::Flag flag : FlagRows())
        if (flag != BranchSetup::kCut) FlagRow(flag).SetVisible(!on);
    SliderRow& diameter = rows_[BranchSetup::kParameters[BranchSetup::kDiameter].name];
    SliderRow& cut = FlagRow(BranchSetup::kCut);
    if (on) {
        // Thickness and caps matter only for a level that grows.
        diameter.SetEnabled(Setup().Get(BranchSetup::kUseBranch));
        cut.SetEnabled(Setup().Get(BranchSetup::kUseBranch));
    }
    diameter.SetVisible(on);
    cut.SetVisible(on);
    // Room for the rows shown, scrolled to the top: a page scrolled down in one
    // mode would otherwise show empty room where the other mode's rows were.
    Scroll(0, 0);
    SetScrollbars(0, kUnit, 0, on ? kMeshModeUnits : Setup().IsComplex() ? kComplexUnits : kRegularUnits);
}

bool BranchSetupPanel::IsModified() const {
    return design_.ScopeModified(grovewright::TreeDesign::BranchPageScope(generator_, level_ - 1));
}

void BranchSetupPanel::ClearModified() {
    design_.ClearScope(grovewright::TreeDesign::BranchPageScope(generator_, level_ - 1));
}
