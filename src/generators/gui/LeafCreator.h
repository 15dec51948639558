#pragma once

#include <wx/notebook.h>
#include <wx/statbox.h>

#include <vector>

#include "generators/TreeDesign.h"
#include "generators/gui/AbstractLeafCreator.h"

class LeafSetupPanel;

// The leaf generator: a static box "LeafCreator" around a notebook of twenty leaf
// pages ("Leaf 1" ... "Leaf 20"), views of the design's leaf pages.
class LeafCreator : public AbstractLeafCreator {
public:
    LeafCreator(wxWindow* parent, grovewright::TreeDesign& design);

    wxString GetName() const override { return "LeafCreator"; }
    bool IsModified() const override;
    void ClearModified() override;
    // Fills the parent's client area: the box over all of it, the notebook inside.
    void LayoutLeaves();

    LeafSetupPanel& Page(int index) { return *pages_[index]; }
    wxNotebook* Notebook() const { return notebook_; }
    const grovewright::LeafGeneratorModel& Model() const { return design_.LeafModel(); }

private:
    grovewright::TreeDesign& design_;
    wxStaticBox* frame_ = nullptr;
    wxNotebook* notebook_ = nullptr;
    std::vector<LeafSetupPanel*> pages_;
};
