#pragma once

#include <wx/panel.h>

namespace grovewright {
class LeafStore;
class SkeletonLevels;
class TGXMLFileWriter;
}  // namespace grovewright
class GrovewrightDrawPanelGL;

// The leaf generator's panel in the side column: generates leaves on the shared
// skeleton into the shared leaf store and asks the view to draw them.
class AbstractLeafCreator : public wxPanel {
public:
    AbstractLeafCreator(wxWindow* parent, grovewright::TGXMLFileWriter& writer,
                        GrovewrightDrawPanelGL& drawPanel, const grovewright::SkeletonLevels& skeleton,
                        grovewright::LeafStore& leaves)
        : wxPanel(parent, wxID_ANY),
          writer_(writer),
          drawPanel_(drawPanel),
          skeleton_(skeleton),
          leaves_(leaves) {}

    virtual bool Generate() { return true; }
    wxString GetName() const override { return "AbstractLeafCreator"; }
    virtual bool IsModified() { return modified_; }
    virtual void ClearModified() { modified_ = false; }
    // Redraws the view with its display lists rebuilt from the new leaves.
    void RequestRedraw();

protected:
    grovewright::TGXMLFileWriter& writer_;
    GrovewrightDrawPanelGL& drawPanel_;
    const grovewright::SkeletonLevels& skeleton_;
    grovewright::LeafStore& leaves_;
    bool modified_ = false;
};
