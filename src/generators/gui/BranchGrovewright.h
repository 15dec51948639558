#pragma once

#include <vector>

#include "generators/gui/AbstractGrovewright.h"

class BranchSetupPanel;

// The regular and complex generators' pages: the base page plus twenty branch
// pages "Branch 1" ... "Branch 20".
class BranchGrovewright : public AbstractGrovewright {
public:
    bool IsModified() const override;
    void ClearModified() override;

    BranchSetupPanel& Page(int index);

protected:
    BranchGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator);

private:
    void MakeCustomPages(wxNotebook* notebook) override;
    void ShowModeRows() override;

    std::vector<BranchSetupPanel*> pages_;
};

class RegularGrovewright : public BranchGrovewright {
public:
    RegularGrovewright(wxWindow* parent, grovewright::TreeDesign& design)
        : BranchGrovewright(parent, design, grovewright::TreeDesign::kRegular) {}
};

class ComplexGrovewright : public BranchGrovewright {
public:
    ComplexGrovewright(wxWindow* parent, grovewright::TreeDesign& design)
        : BranchGrovewright(parent, design, grovewright::TreeDesign::kComplex) {}
};
