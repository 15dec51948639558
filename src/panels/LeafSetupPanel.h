#pragma once

#include <wx/scrolwin.h>

#include "generators/LeafSetup.h"
#include "panels/SliderRows.h"

class AbstractLeafCreator;

// One leaf page: eleven slider rows and two check boxes over one leaf setup.
// Every edit regenerates the leaves and redraws, at each step of a drag.
class LeafSetupPanel : public wxScrolledWindow {
public:
    LeafSetupPanel(wxWindow* parent, int pageId, AbstractLeafCreator* creator, grovewright::LeafSetup& setup);

    const grovewright::LeafSetup& Setup() const { return setup_; }
    int PageId() const { return pageId_; }

    // Takes the value only inside its slider's range; moves the slider and
    // rewrites the label. Never regenerates, never marks the page modified.
    void Set(grovewright::LeafSetup::Value value, int v);
    void SetAddHorizontal(bool on);
    void SetUseLeaf(bool on);
    // Shows the whole setup (after it was replaced as a whole).
    void ShowSetup();
    void Reset();

    bool IsModified() const { return modified_; }
    void ClearModified() { modified_ = false; }
    SliderRow& Row(const std::string& name) const { return rows_[name]; }

private:
    void Edited();

    AbstractLeafCreator* creator_;
    grovewright::LeafSetup& setup_;
    int pageId_;
    bool modified_ = false;
    SliderRows rows_;
};
