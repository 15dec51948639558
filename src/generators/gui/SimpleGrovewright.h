#pragma once

#include <wx/scrolwin.h>

#include "generators/gui/AbstractGrovewright.h"

// The simple generator's page: the base page plus "Simple Tree Settings" with
// Balance, Spread, Twist and the three switches.
class SimpleGrovewright : public AbstractGrovewright {
public:
    SimpleGrovewright(wxWindow* parent, grovewright::TreeDesign& design);

    // Setters: a value out of range is ignored; otherwise the row follows.
    void SetBalance(int v);
    void SetSpreadAngle(int v);
    void SetTwistAngle(int v);
    void SetBalanceDependence(bool on);
    void SetCustomCut(bool on);
    void SetDiameterBalanceDep(bool on);

    const grovewright::SimpleSetup& Custom() const;
    SliderRow& CustomRow(const std::string& name);
    wxScrolledWindow* SettingsPage();

private:
    void MakeCustomPages(wxNotebook* notebook) override;
    void ShowModeRows() override;
    void SetCustom(grovewright::SimpleSetup::Index index, int value);

    wxScrolledWindow* page_ = nullptr;
    SliderRows rows_;
};
