#include "panels/LeafSetupPanel.h"

#include "generators/gui/AbstractLeafCreator.h"

using grovewright::LeafSetup;
using grovewright::ValueFormat;

namespace {

struct RowText {
    const char* prefix;
    ValueFormat format;
};

// Label texts and number formats of the eleven rows, in the order of the values.
const RowText kRowTexts[LeafSetup::kValueCount] = {
    {"Height: ", ValueFormat::Metres},        {"Width: ", ValueFormat::Metres},
    {"Add Angle: ", ValueFormat::Integer},    {"Split Angle: ", ValueFormat::Integer},
    {"Spread Angle: ", ValueFormat::Integer}, {"Twist Angle: ", ValueFormat::Integer},
    {"Ori Angle: ", ValueFormat::Integer},    {"Add down to: ", ValueFormat::Integer},
    {"Rel. add: ", ValueFormat::Hundredths},  {"Leaf split: ", ValueFormat::Integer},
    {"Segment count: ", ValueFormat::Integer},
};

}  // namespace

LeafSetupPanel::LeafSetupPanel(wxWindow* parent, int pageId, AbstractLeafCreator* creator, LeafSetup& setup)
    : wxScrolledWindow(parent, wxID_ANY), creator_(creator), setup_(setup), pageId_(pageId) {
    SetScrollbars(0, 5, 0, 80);
    for (int v = 0; v < LeafSetup::kValueCount; ++v) {
        const auto& description = LeafSetup::kValues[v];
        const int y = 20 + 30 * v;
        rows_.Add(description.name,
                  std::make_unique<SliderRow>(this, kRowTexts[v].prefix, kRowTexts[v].format,
                                              setup_.Get(static_cast<LeafSetup::Value>(v)), description.range.min,
                                              description.range.max, SliderRow::Place{10, y, 100, 25},
                                              SliderRow::Place{120, y, 100, 25}))
            .OnEdit([this, v](int value) {
                Set(static_cast<LeafSetup::Value>(v), value);
                Edited();
            });
    }
    rows_.Add("AddHorizontal", std::make_unique<SliderRow>(this, "Add horiz.: ", setup_.AddHorizontal(),
                                                           SliderRow::Place{10, 350, 100, 25}, wxPoint(120, 350)))
        .OnEdit([this](int) {
            SetAddHorizontal(!setup_.AddHorizontal());
            Edited();
        });
    rows_.Add("UseLeaf", std::make_unique<SliderRow>(this, "Use leaf: ", setup_.UseLeaf(),
                                                     SliderRow::Place{10, 380, 100, 25}, wxPoint(120, 380)))
        .OnEdit([this](int) {
            SetUseLeaf(!setup_.UseLeaf());
            Edited();
        });
}

void LeafSetupPanel::Set(LeafSetup::Value value, int v) {
    if (setup_.Set(value, v)) rows_[LeafSetup::kValues[value].name].Show(v);
}

void LeafSetupPanel::SetAddHorizontal(bool on) {
    setup_.SetAddHorizontal(on);
    rows_["AddHorizontal"].Show(on);
}

void LeafSetupPanel::SetUseLeaf(bool on) {
    setup_.SetUseLeaf(on);
    rows_["UseLeaf"].Show(on);
}

void LeafSetupPanel::ShowSetup() {
    for (int v = 0; v < LeafSetup::kValueCount; ++v)
        rows_[LeafSetup::kValues[v].name].Show(setup_.Get(static_cast<LeafSetup::Value>(v)));
    rows_["AddHorizontal"].Show(setup_.AddHorizontal());
    rows_["UseLeaf"].Show(setup_.UseLeaf());
}

void LeafSetupPanel::Reset() {
    for (int v = 0; v < LeafSetup::kValueCount; ++v)
        Set(static_cast<LeafSetup::Value>(v), LeafSetup::kValues[v].initial);
    SetAddHorizontal(false);
    SetUseLeaf(false);
}

void LeafSetupPanel::Edited() {
    creator_->Generate();
    creator_->RequestRedraw();
    modified_ = true;
}
