#pragma once

#include <wx/scrolwin.h>

#include "panels/SliderRows.h"

// One leaf page: eleven slider rows and two check boxes, then the foliage
// rows (leaves along a shoot, leaf by leaf variation, leaflets), over one of the
// design's leaf pages. Every edit regenerates the leaves, at each step of a drag.
// The rows are made when the page is first shown or asked for them.
class LeafSetupPanel : public wxScrolledWindow {
public:
    LeafSetupPanel(wxWindow* parent, int pageId, grovewright::TreeDesign& design);

    const grovewright::LeafSetup& Setup() const;
    int PageId() const { return pageId_; }

    // Takes the value only inside its slider's range; the row follows. Never
    // regenerates, never marks the page modified.
    void Set(grovewright::LeafSetup::Value value, int v);
    void SetAddHorizontal(bool on);
    void SetUseLeaf(bool on);

    bool IsModified() const;
    void ClearModified();
    SliderRow& Row(const std::string& name) {
        MakeRows();
        return rows_[name];
    }
    // Makes the rows, showing the design's values, unless they are made already.
    void MakeRows();
    bool HasRows() const { return hasRows_; }

private:
    grovewright::ParameterId Id(int index) const { return grovewright::ParameterId::Leaf(pageId_ - 1, index); }

    grovewright::TreeDesign& design_;
    int pageId_;
    SliderRows rows_;
    bool hasRows_ = false;
};
