#include "generators/gui/SimpleGrovewright.h"

using grovewright::SimpleSetup;

SimpleGrovewright::SimpleGrovewright(wxWindow* parent, grovewright::TreeDesign& design)
    : AbstractGrovewright(parent, design, grovewright::TreeDesign::kSimple) {
    page_ = new wxScrolledWindow(CustomNotebook(), wxID_ANY);
    page_->SetScrollbars(0, 5, 0, 30);
    CustomNotebook()->AddPage(page_, "Simple Tree Settings");

    // Name, place of the label and of the control of every row.
    const struct {
        const char* name;
        SimpleSetup::Index index;
        int y, labelWidth, controlX;
    } rows[] = {{"Balance", SimpleSetup::kBalance, 20, 100, 120},
                {"Spread", SimpleSetup::kSpreadAngle, 50, 100, 120},
                {"Twist", SimpleSetup::kTwistAngle, 80, 100, 120},
                {"BalanceDependence", SimpleSetup::kBalanceDependence, 110, 100, 120},
                {"DiameterBalanceDep", SimpleSetup::kDiameterBalanceDep, 20, 160, 200},
                {"Cut", SimpleSetup::kCut, 50, 160, 200}};
    for (const auto& row : rows)
        rows_.Add(row.name, std::make_unique<SliderRow>(page_, design, grovewright::ParameterId::Simple(row.index),
                                                        SliderRow::Place{10, row.y, row.labelWidth, 25},
                                                        SliderRow::Place{row.controlX, row.y, 100, 25}));
    SetMeshMode(false);
}

const SimpleSetup& SimpleGrovewright::Custom() const { return Design().Simple().Custom(); }

SliderRow& SimpleGrovewright::CustomRow(const std::string& name) { return rows_[name]; }

void SimpleGrovewright::SetCustom(SimpleSetup::Index index, int value) {
    Design().Set(grovewright::ParameterId::Simple(index), value);
}

void SimpleGrovewright::SetBalance(int v) { SetCustom(SimpleSetup::kBalance, v); }
void SimpleGrovewright::SetSpreadAngle(int v) { SetCustom(SimpleSetup::kSpreadAngle, v); }
void SimpleGrovewright::SetTwistAngle(int v) { SetCustom(SimpleSetup::kTwistAngle, v); }
void SimpleGrovewright::SetBalanceDependence(bool on) { SetCustom(SimpleSetup::kBalanceDependence, on); }
void SimpleGrovewright::SetCustomCut(bool on) { SetCustom(SimpleSetup::kCut, on); }
void SimpleGrovewright::SetDiameterBalanceDep(bool on) { SetCustom(SimpleSetup::kDiameterBalanceDep, on); }

void SimpleGrovewright::SetMeshMode(bool on) {
    AbstractGrovewright::SetMeshMode(on);
    for (const char* name : {"Balance", "Spread", "Twist", "BalanceDependence"}) CustomRow(name).SetVisible(!on);
    for (const char* name : {"DiameterBalanceDep", "Cut"}) CustomRow(name).SetVisible(on);
}
