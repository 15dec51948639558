#include "panels/LeafSetupPanel.h"

using grovewright::LeafSetup;

LeafSetupPanel::LeafSetupPanel(wxWindow* parent, int pageId, grovewright::TreeDesign& design)
    : wxScrolledWindow(parent, wxID_ANY), design_(design), pageId_(pageId) {
    SetScrollbars(0, 5, 0, 80);
}

void LeafSetupPanel::MakeRows() {
    if (hasRows_) return;
    hasRows_ = true;
    // Row k at y = 20 + 30 k, the two check boxes below the sliders.
    for (int i = 0; i < LeafSetup::kCount; ++i) {
        const int y = 20 + 30 * i;
        rows_.Add(LeafSetup::kParameters[i].name,
                  std::make_unique<SliderRow>(this, design_, Id(i), SliderRow::Place{10, y, 100, 25},
                                              SliderRow::Place{120, y, 100, 25}));
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
