#include "generators/gui/LeafCreator.h"

#include <algorithm>

#include "panels/LeafSetupPanel.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

void AbstractLeafCreator::RequestRedraw() { drawPanel_.Redraw(0); }

LeafCreator::LeafCreator(wxWindow* parent, grovewright::TGXMLFileWriter& writer, GrovewrightDrawPanelGL& drawPanel,
                         const grovewright::SkeletonLevels& skeleton, grovewright::LeafStore& leaves)
    : AbstractLeafCreator(parent, writer, drawPanel, skeleton, leaves) {
    frame_ = new wxStaticBox(this, wxID_ANY, "LeafCreator");
    notebook_ = new wxNotebook(this, wxID_ANY, wxPoint(5, 15), wxSize(280, 460));
    for (int i = 0; i < grovewright::LeafGeneratorModel::kPageCount; ++i) {
        auto* page = new LeafSetupPanel(notebook_, i + 1, this, model_.Page(i));
        notebook_->AddPage(page, wxGetTranslation("Leaf ") + wxString::Format("%i", i + 1), false);
        pages_.push_back(page);
    }
}

bool LeafCreator::Generate() {
    model_.Generate(skeleton_, leaves_);
    return true;
}

bool LeafCreator::IsModified() {
    for (LeafSetupPanel* page : pages_) modified_ = modified_ || page->IsModified();
    return modified_;
}

void LeafCreator::ClearModified() {
    for (LeafSetupPanel* page : pages_) page->ClearModified();
    modified_ = false;
}

void LeafCreator::ShowLoadedSetup() {
    for (LeafSetupPanel* page : pages_) page->ShowSetup();
}

void LeafCreator::ResetLeaves() {
    for (LeafSetupPanel* page : pages_) page->Reset();
    Generate();
    RequestRedraw();
}

void LeafCreator::LayoutLeaves() {
    const wxSize area = GetParent()->GetClientSize();
    SetSize(0, 0, area.x, area.y, wxSIZE_AUTO);
    frame_->SetSize(0, 0, area.x, area.y, wxSIZE_AUTO);
    notebook_->SetSize(5, 15, std::max(1, area.x - 10), std::max(1, area.y - 20), wxSIZE_AUTO);
}
