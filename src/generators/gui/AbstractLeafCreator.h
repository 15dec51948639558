#pragma once

#include <wx/panel.h>

// The leaf generator's panel in the side column, over the design's leaf pages.
class AbstractLeafCreator : public wxPanel {
public:
    explicit AbstractLeafCreator(wxWindow* parent) : wxPanel(parent, wxID_ANY) {}

    wxString GetName() const override { return "AbstractLeafCreator"; }
    virtual bool IsModified() const = 0;
    virtual void ClearModified() = 0;
};
