#include "generators/gui/BranchGrovewright.h"

#include "panels/BranchSetupPanel.h"

BranchGrovewright::BranchGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator)
    : AbstractGrovewright(parent, design, generator) {
    for (int level = 1; level <= grovewright::BranchTreeModel::kLevelCount; ++level) {
        BranchSetupPanel* page = generator == grovewright::TreeDesign::kComplex
                                     ? static_cast<BranchSetupPanel*>(
                                           new ComplexBranchSetupPanel(CustomNotebook(), level, design, generator))
                                     : new RegularBranchSetupPanel(CustomNotebook(), level, design, generator);
        CustomNotebook()->AddPage(page, wxGetTranslation("Branch ") + wxString::Format("%i", level), false);
        pages_.push_back(page);
    }
    // A page's rows are made before it is first shown.
    pages_.front()->MakeRows();
    CustomNotebook()->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, [this](wxBookCtrlEvent& event) {
        if (event.GetSelection() >= 0) pages_[static_cast<std::size_t>(event.GetSelection())]->MakeRows();
        event.Skip();
    });
}

void BranchGrovewright::SetMeshMode(bool on) {
    AbstractGrovewright::SetMeshMode(on);
    for (BranchSetupPanel* page : pages_) page->SetMeshMode(on);
}

bool BranchGrovewright::IsModified() const {
    bool modified = AbstractGrovewright::IsModified();
    for (const BranchSetupPanel* page : pages_) modified = modified || page->IsModified();
    return modified;
}

void BranchGrovewright::ClearModified() {
    AbstractGrovewright::ClearModified();
    for (BranchSetupPanel* page : pages_) page->ClearModified();
}
