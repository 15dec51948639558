#include "panels/BranchSetupPanel.h"

#include "generators/gui/AbstractGrovewright.h"

using grovewright::BranchSetup;
using grovewright::ValueFormat;

namespace {

struct SliderText {
    const char* prefix;
    ValueFormat format;
    int y;
};

// Label, number format and row of every slider, in the order of the values.
const SliderText kSliders[BranchSetup::kValueCount] = {
    {"Diameter: ", ValueFormat::Hundredths, 20}, {"Height: ", ValueFormat::Metres, 20},
    {"Heightred.: ", ValueFormat::Hundredths, 50}, {"Rel. add: ", ValueFormat::Hundredths, 80},
    {"Add from: ", ValueFormat::Integer, 110},   {"Add to: ", ValueFormat::Integer, 140},
    {"Ori angle: ", ValueFormat::Integer, 200},  {"Add angle: ", ValueFormat::Integer, 170},
};

const char* const kFlagLabels[BranchSetup::kFlagCount] = {"Use branch: ", "Cut: ", "Only trunc: ",
                                                           "Trunc/branches: ", "Use twist: "};

}  // namespace

BranchSetupPanel::BranchSetupPanel(wxWindow* parent, int level, AbstractGrovewright* owner, BranchSetup& setup)
    : wxScrolledWindow(parent, wxID_ANY), owner_(owner), setup_(setup), level_(level) {
    SetScrollbars(0, 5, 0, setup.IsComplex() ? 70 : 50);
    // Rows in the order of the page: Diameter, Height ... OriAngle (AddAngle above it), flags, Cut last.
    for (int v : {BranchSetup::kDiameter, BranchSetup::kHeight, BranchSetup::kHeightReduction, BranchSetup::kRelativAdd,
                  BranchSetup::kAddFrom, BranchSetup::kAddTo, BranchSetup::kAddAngle, BranchSetup::kOriAngle}) {
        const auto& description = BranchSetup::kValues[v];
        const SliderText& text = kSliders[v];
        rows_.Add(description.name,
                  std::make_unique<SliderRow>(this, text.prefix, text.format,
                                              setup_.Get(static_cast<BranchSetup::Value>(v)), description.range.min,
                                              description.range.max, SliderRow::Place{10, text.y, 100, 25},
                                              SliderRow::Place{120, text.y, 100, 25}))
            .OnEdit([this, v](int value) {
                Set(static_cast<BranchSetup::Value>(v), value);
                Edited();
            });
    }
    int y = 230;
    for (BranchSetup::Flag flag : FlagRows()) {
        const int rowY = flag == BranchSetup::kCut ? 50 : y;
        if (flag != BranchSetup::kCut) y += 30;
        rows_.Add(BranchSetup::kFlagNames[flag],
                  std::make_unique<SliderRow>(this, kFlagLabels[flag], setup_.Get(flag),
                                              SliderRow::Place{10, rowY, 100, 25}, wxPoint(120, rowY)))
            .OnEdit([this, flag](int) {
                SetFlag(flag, !setup_.Get(flag));
                Edited();
            });
    }
    SetMeshMode(false);
    ShowSetup();
}

std::vector<BranchSetup::Flag> BranchSetupPanel::FlagRows() const {
    if (setup_.IsComplex())
        return {BranchSetup::kOnlyTrunc, BranchSetup::kTruncBranches, BranchSetup::kUseTwist, BranchSetup::kUseBranch,
                BranchSetup::kCut};
    return {BranchSetup::kUseBranch, BranchSetup::kCut};
}

void BranchSetupPanel::Set(BranchSetup::Value value, int v) {
    if (setup_.Set(value, v)) rows_[BranchSetup::kValues[value].name].Show(v);
}

void BranchSetupPanel::SetFlag(BranchSetup::Flag flag, bool on) {
    setup_.Set(flag, on);
    rows_[BranchSetup::kFlagNames[flag]].Show(on);
    // While OnlyTrunc is set the TruncBranches row has no say.
    if (flag == BranchSetup::kOnlyTrunc) rows_[BranchSetup::kFlagNames[BranchSetup::kTruncBranches]].SetEnabled(!on);
}

void BranchSetupPanel::ShowSetup() {
    for (int v = 0; v < BranchSetup::kValueCount; ++v)
        rows_[BranchSetup::kValues[v].name].Show(setup_.Get(static_cast<BranchSetup::Value>(v)));
    for (BranchSetup::Flag flag : FlagRows()) SetFlag(flag, setup_.Get(flag));
}

void BranchSetupPanel::SetMeshMode(bool on) {
    meshMode_ = on;
    for (int v = BranchSetup::kHeight; v < BranchSetup::kValueCount; ++v)
        rows_[BranchSetup::kValues[v].name].SetVisible(!on);
    for (BranchSetup::Flag flag : FlagRows())
        if (flag != BranchSetup::kCut) rows_[BranchSetup::kFlagNames[flag]].SetVisible(!on);
    SliderRow& diameter = rows_[BranchSetup::kValues[BranchSetup::kDiameter].name];
    SliderRow& cut = rows_[BranchSetup::kFlagNames[BranchSetup::kCut]];
    if (on) {
        // Thickness and caps matter only for a level that grows.
        diameter.SetEnabled(setup_.Get(BranchSetup::kUseBranch));
        cut.SetEnabled(setup_.Get(BranchSetup::kUseBranch));
    }
    diameter.SetVisible(on);
    cut.SetVisible(on);
}

void BranchSetupPanel::Edited() {
    owner_->RebuildAndRedraw();
    modified_ = true;
}
