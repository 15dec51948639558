#include "panels/LeafSetupPanel.h"

using grovewright::LeafSetup;

namespace {

// Row k at y = 20 + 30 k, the two check boxes below the sliders, then after a
// gap the foliage rows; the page scrolls down to the last one.
constexpr int kFoliageGap = 15;
int RowTop(int i) { return 20 + 30 * i + (i >= LeafSetup::kFileCount ? kFoliageGap : 0); }
constexpr int kScrollUnit = 5;

}  // namespace

LeafSetupPanel::LeafSetupPanel(wxWindow* parent, int pageId, grovewright::TreeDesign& design)
    : wxScrolledWindow(parent, wxID_ANY), design_(design), pageId_(pageId) {
    SetScrollbars(0, kScrollUnit, 0, (RowTop(LeafSetup::kCount) + kScrollUnit - 1) / kScrollUnit);
}

void LeafSetupPanel::MakeRows() {
    if (hasRows_) return;
    hasRows_ = true;
    for (int i = 0; i < LeafSetup::kCount; ++i) {
        const int y = RowTop(i);
        // The foliage rows' longer labels take more room before their sliders.
        const int label = i < LeafSetup::kFileCount ? 100 : 135;
        rows_.Add(LeafSetup::kParameters[i].name,
                  std::make_unique<SliderRow>(this, design_, Id(i), SliderRow::Place{10, y, label, 25},
                                              SliderRow::Place{20 + label, y, 100, 25}));
    }
}

const LeafSetup& LeafSetupPanel::Setup() const { return design_.LeafModel().Page(pageId_ - 1); }

void LeafSetupPanel::Set(LeafSetup::Value value, int v) { design_.Set(Id(value), v); }
void LeafSetupPanel::SetAddHorizontal(bool on) { design_.Set(Id(LeafSetup::kAddHorizontal), on); }
void LeafSetupPanel::SetUseLeaf(bool on) { design_.Set(Id(LeafSetup::kUseLeaf), on); }

bool LeafSetupPanel::IsModified() const {
    return design_.ScopeModified(grovewright::TreeDesign::LeafPageScope(pageId_ - 1));
}

void LeafSetupPanel::ClearModified() { design_.ClearScope(grovewright::TreeDesign::LeafPageScope(pageId_ - 1)); }
