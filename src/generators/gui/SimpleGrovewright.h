#pragma once

#include <wx/scrolwin.h>

#include "generators/SimpleTreeModel.h"
#include "generators/gui/AbstractGrovewright.h"

// The simple generator's page: the base page plus "Simple Tree Settings" with
// Balance, Spread, Twist and the three switches.
class SimpleGrovewright : public AbstractGrovewright {
public:
    SimpleGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator, grovewright::TGXMLFileWriter& writer, GrovewrightDrawPanelGL& drawPanel,
                      grovewright::SkeletonLevels& skeleton);

    void SetMeshMode(bool on) override;

    void SetBalance(int v);
    void SetSpreadAngle(int v);
    void SetTwistAngle(int v);
    void SetBalanceDependence(bool on);
    void SetCustomCut(bool on);
    void SetDiameterBalanceDep(bool on);

    const grovewright::SimpleSetup& Custom() const;
    SliderRow& CustomRow(const std::string& name);
    wxScrolledWindow* SettingsPage() const { return page_; }

protected:
    void ShowValues() override;

private:
    grovewright::SimpleSetup& EditCustom();

    wxScrolledWindow* page_ = nullptr;
    SliderRows rows_;
};
