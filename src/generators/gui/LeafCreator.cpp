#include "generators/gui/LeafCreator.h"

#include <algorithm>

#include "panels/LeafSetupPanel.h"

LeafCreator::LeafCreator(wxWindow* parent, grovewright::TreeDesign& design)
    : AbstractLeafCreator(parent), design_(design) {
    frame_ = new wxStaticBox(this, wxID_ANY, "LeafCreator");
    notebook_ = new wxNotebook(this, wxID_ANY, wxPoint(5, 15), wxSize(280, 460));
    for (int i = 0; i < grovewright::LeafGeneratorModel::kPageCount; ++i) {
        auto* page = new LeafSetupPanel(notebook_, i + 1, design);
        notebook_->AddPage(page, wxGetTranslation("Leaf ") + wxString::Format("%i", i + 1), false);
        pages_.push_back(page);
    }
    // A page's rows are made before it is first shown.
    pages_.front()->MakeRows();
    notebook_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, [this](wxBookCtrlEvent& event) {
        if (event.GetSelection() >= 0) pages_[static_cast<std::size_t>(event.GetSelection())]->MakeRows();
        event.Skip();
    });
}

bool LeafCreator::IsModified() const {
    return std::any_of(pages_.begin(), pages_.end(), [](const LeafSetupPanel* page) { return page->IsModified(); });
}

void LeafCreator::ClearModified() {
    for (LeafSetupPanel* page : pages_) page->ClearModified();
}

void LeafCreator::LayoutLeaves() {
    const wxSize area = GetParent()->GetClientSize();
    SetSize(0, 0, area.x, area.y, wxSIZE_AUTO);
    frame_->SetSize(0, 0, area.x, area.y, wxSIZE_AUTO);
    notebook_->SetSize(5, 15, std::max(1, area.x - 10), std::max(1, area.y - 20), wxSIZE_AUTO);
}
