#include "generators/gui/BranchGrovewright.h"

#include "panels/BranchSetupPanel.h"

BranchGrovewright::BranchGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator)
    : AbstractGrovewright(parent, design, generator) {}

void BranchGrovewright::MakeCustomPages(wxNotebook* notebook) {
    grovewright::TreeDesign& design = Design();
    const int generator = GeneratorIndex();
    for (int level = 1; level <= grovewright::BranchTreeModel::kLevelCount; ++level) {
        BranchSetupPanel* page = generator == grovewright::TreeDesign::kComplex
                                     ? static_cast<BranchSetupPanel*>(
                                           new ComplexBranchSetupPanel(notebook, level, design, generator))
                                     : new RegularBranchSetupPanel(notebook, level, design, generator);
        notebook->AddPage(page, wxGetTranslation("Branch ") + wxString::Format("%i", level), false);
        pages_.push_back(page);
    }
    // A page's rows are made before it is first shown.
    pages_.front()->MakeRows();
    notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, [this](wxBookCtrlEvent& event) {
        if (event.GetSelection() >= 0) pages_[static_cast<std::size_t>(event.GetSelection())]->MakeRows();
        event.Skip();
    });
}

BranchSetupPanel& BranchGrovewright::Page(int index) {
    MakeControls();
    return *pages_[static_cast<std::size_t>(index)];
}

void BranchGrovewright::ShowModeRows() {
    AbstractGrovewright::ShowModeRows();
    for (BranchSetupPanel* page : pages_) page->SetMeshMode(MeshMode());
}

// Every level page's flag, from the design: pages not made yet may hold edits too (undo, load).
bool BranchGrovewright::IsModified() const {
    bool modified = AbstractGrovewright::IsModified();
    for (int page = 0; page < grovewright::BranchTreeModel::kLevelCount; ++page)
        modified = modified || Design().ScopeModified(grovewright::TreeDesign::BranchPageScope(GeneratorIndex(), page));
    return modified;
}

void BranchGrovewright::ClearModified() {
    AbstractGrovewright::ClearModified();
    for (int page = 0; page < grovewright::BranchTreeModel::kLevelCount; ++page)
        Design().ClearScope(grovewright::TreeDesign::BranchPageScope(GeneratorIndex(), page));
}
