#pragma once

#include <wx/scrolwin.h>

#include "generators/BranchSetup.h"
#include "panels/SliderRows.h"

class AbstractGrovewright;

// One branch level's page of the regular and complex generators: eight slider
// rows and the flag rows over one BranchSetup. The Diameter and Cut rows share
// places with Height and HeightReduction and show in the 3D modes only.
class BranchSetupPanel : public wxScrolledWindow {
public:
    BranchSetupPanel(wxWindow* parent, int level, AbstractGrovewright* owner, grovewright::BranchSetup& setup);

    const grovewright::BranchSetup& Setup() const { return setup_; }
    int Level() const { return level_; }

    // Takes the value only inside its range; moves the slider, rewrites the label.
    void Set(grovewright::BranchSetup::Value value, int v);
    // Stores the flag and sets its check box (OnlyTrunc also enables TruncBranches when clear).
    void SetFlag(grovewright::BranchSetup::Flag flag, bool on);
    // Shows the whole setup (after Reset or ApplySetup replaced it).
    void ShowSetup();
    void SetMeshMode(bool on);

    bool IsModified() const { return modified_; }
    void ClearModified() { modified_ = false; }
    SliderRow& Row(const std::string& name) const { return rows_[name]; }

private:
    // The flag rows of this page, top to bottom, then Cut.
    std::vector<grovewright::BranchSetup::Flag> FlagRows() const;
    void Edited();

    AbstractGrovewright* owner_;
    grovewright::BranchSetup& setup_;
    int level_;
    bool meshMode_ = false;
    bool modified_ = false;
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
