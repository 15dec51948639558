#include "generators/gui/BranchGrovewright.h"

#include "panels/BranchSetupPanel.h"

BranchGrovewright::BranchGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator,
                                     grovewright::TGXMLFileWriter& writer,
                                     GrovewrightDrawPanelGL& drawPanel, grovewright::SkeletonLevels& skeleton,
                                     std::unique_ptr<grovewright::BranchTreeModel> model)
    : AbstractGrovewright(parent, leafCreator, writer, drawPanel, skeleton, std::move(model)) {
    auto& branches = static_cast<grovewright::BranchTreeModel&>(ModelForEdit());
    for (int level = 1; level <= grovewright::BranchTreeModel::kLevelCount; ++level) {
        grovewright::BranchSetup& setup = branches.Page(level - 1);
        BranchSetupPanel* page =
            branches.IsComplex()
                ? static_cast<BranchSetupPanel*>(new ComplexBranchSetupPanel(CustomNotebook(), level, this, setup))
                : new RegularBranchSetupPanel(CustomNotebook(), level, this, setup);
        CustomNotebook()->AddPage(page, wxGetTranslation("Branch ") + wxString::Format("%i", level), false);
        pages_.push_back(page);
    }
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

void BranchGrovewright::ShowValues() {
    AbstractGrovewright::ShowValues();
    for (BranchSetupPanel* page : pages_) page->ShowSetup();
}

RegularGrovewright::RegularGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator,
                                       grovewright::TGXMLFileWriter& writer,
                                       GrovewrightDrawPanelGL& drawPanel, grovewright::SkeletonLevels& skeleton)
    : BranchGrovewright(parent, leafCreator, writer, drawPanel, skeleton,
                        std::make_unique<grovewright::RegularTreeModel>()) {}

ComplexGrovewright::ComplexGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator,
                                       grovewright::TGXMLFileWriter& writer,
                                       GrovewrightDrawPanelGL& drawPanel, grovewright::SkeletonLevels& skeleton)
    : BranchGrovewright(parent, leafCreator, writer, drawPanel, skeleton,
                        std::make_unique<grovewright::ComplexTreeModel>()) {}
