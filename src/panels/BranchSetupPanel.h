#pragma once

#include <wx/panel.h>
#include <wx/scrolwin.h>

#include <vector>

#include "panels/SliderRows.h"

// One branch level's page of the regular and complex generators: eight slider
// rows and the flag rows over one level of the design. The Diameter and Cut
// rows share places with Height and HeightReduction and show in the 3D modes
// only. The rows are made when the page is first shown or asked for them: a
// window with sixty pages shows sooner when it makes only the shown ones.
class BranchSetupPanel : public wxScrolledWindow {
public:
    BranchSetupPanel(wxWindow* parent, int level, grovewright::TreeDesign& design, int generator);

    const grovewright::BranchSetup& Setup() const;
    int Level() const { return level_; }

    // Takes the value only inside its range; the row follows.
    void Set(grovewright::BranchSetup::Value value, int v);
    // Stores the flag; its check box follows (OnlyTrunc also enables TruncBranches when clear).
    void SetFlag(grovewright::BranchSetup::Flag flag, bool on);
    void SetMeshMode(bool on);

    bool IsModified() const;
    void ClearModified();
    SliderRow& Row(const std::string& name) {
        MakeRows();
        return rows_[name];
    }
    // Makes the rows, showing the design's values, unless they are made already.
    void MakeRows();
    bool HasRows() const { return content_ != nullptr; }

private:
    // The flag rows of this page, top to bottom, then Cut.
    std::vector<grovewright::BranchSetup::Flag> FlagRows() const;
    grovewright::ParameterId Id(int index) const {
        return grovewright::ParameterId::Branch(generator_, level_ - 1, index);
    }
    SliderRow& FlagRow(grovewright::BranchSetup::Flag flag) const;
    // While OnlyTrunc is set the TruncBranches row has no say.
    void ShowTruncBranchesEnabled();
    // The rows of the mode shown, the page scrolled to the top.
    void ShowModeRows();

    grovewright::TreeDesign& design_;
    int generator_;
    int level_;
    bool meshMode_ = false;
    // The rows' parent, the one child the page scrolls: GTK complains about
    // every hidden child that a scroll moves, and each mode hides some rows.
    wxPanel* content_ = nullptr;
    SliderRows rows_;
};

// The regular generator's page: UseBranch and Cut.
class RegularBranchSetupPanel : public BranchSetupPanel {
public:
    using BranchSetupPanel::BranchSetupPanel;
};

// The complex generator's page: OnlyTrunc, TruncBranches, UseTwist, UseBranch and Cut.
class ComplexBranchSetupPanel : public BranchSetupPanel {
public:
    using BranchSetupPanel::BranchSetupPanel;
};
