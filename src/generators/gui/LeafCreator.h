#pragma once

#include <wx/notebook.h>
#include <wx/statbox.h>

#include <vector>

#include "generators/LeafGenerator.h"
#include "generators/gui/AbstractLeafCreator.h"

class LeafSetupPanel;

// The leaf generator: a static box "LeafCreator" around a notebook of twenty leaf
// pages ("Leaf 1" ... "Leaf 20") over the leaf generator's model.
class LeafCreator : public AbstractLeafCreator {
public:
    LeafCreator(wxWindow* parent, grovewright::TGXMLFileWriter& writer,
                GrovewrightDrawPanelGL& drawPanel, const grovewright::SkeletonLevels& skeleton,
                grovewright::LeafStore& leaves);

    bool Generate() override;
    wxString GetName() const override { return "LeafCreator"; }
    bool IsModified() override;
    void ClearModified() override;
    void WriteSetup() { model_.WriteSetup(writer_); }
    // After a project load replaced the pages' values: shows them; no generation.
    void ShowLoadedSetup();
    // Every page back to its initial values, then generate and redraw.
    void ResetLeaves();
    // Fills the parent's client area: the box over all of it, the notebook inside.
    void LayoutLeaves();

    LeafSetupPanel& Page(int index) { return *pages_[index]; }
    wxNotebook* Notebook() const { return notebook_; }
    const grovewright::LeafGeneratorModel& Model() const { return model_; }
    // The model a project load reads into.
    grovewright::LeafGeneratorModel& ModelForLoad() { return model_; }

private:
    grovewright::LeafGeneratorModel model_;
    wxStaticBox* frame_ = nullptr;
    wxNotebook* notebook_ = nullptr;
    std::vector<LeafSetupPanel*> pages_;
};
