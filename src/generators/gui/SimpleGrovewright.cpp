#include "generators/gui/SimpleGrovewright.h"

using grovewright::SimpleSetup;

SimpleGrovewright::SimpleGrovewright(wxWindow* parent, grovewright::TreeDesign& design)
    : AbstractGrovewright(parent, design, grovewright::TreeDesign::kSimple) {}

void SimpleGrovewright::MakeCustomPages(wxNotebook* notebook) {
    page_ = new wxScrolledWindow(notebook, wxID_ANY);
    page_->SetScrollbars(0, 5, 0, 30);
    notebook->AddPage(page_, "Simple Tree Settings");

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
        rows_.Add(row.name, std::make_unique<SliderRow>(page_, Design(), grovewright::ParameterId::Simple(row.index),
                                                        SliderRow::Place{10, row.y, row.labelWidth, 25},
                                                        SliderRow::Place{row.controlX, row.y, 100, 25}));
}

const SimpleSetup& SimpleGrovewright::Custom() const { return Design().Simple().Custom(); }

SliderRow& SimpleGrovewright::CustomRow(const std::string& name) {
    MakeControls();
    return rows_[name];
}

wxScrolledWindow* SimpleGrovewright::SettingsPage() {
    MakeControls();
    return page_;
}

void SimpleGrovewright::SetCustom(SimpleSetup::Index index, int value) {
    Design().Set(grovewright::ParameterId::Simple(index), value);
}

void SimpleGrovewright::SetBalance(int v) { SetCustom(SimpleSetup::kBalance, v); }
void SimpleGrovewright::SetSpreadAngle(int v) { SetCustom(SimpleSetup::kSpreadAngle, v); }
void SimpleGrovewright::SetTwistAngle(int v) { SetCustom(SimpleSetup::kTwistAngle, v); }
void SimpleGrovewright::SetBalanceDependence(bool on) { SetCustom(SimpleSetup::kBalanceDependence, on); }
void SimpleGrovewright::SetCustomCut(bool on) { SetCustom(SimpleSetup::kCut, on); }
void SimpleGrovewright::SetDiameterBalanceDep(bool on) { SetCustom(SimpleSetup::kDiameterBalanceDep, on); }

void SimpleGrovewright::ShowModeRows() {
    AbstractGrovewright::ShowModeRows();
    for (const char* name : {"Balance", "Spread", "Twist", "BalanceDependence"})
        CustomRow(name).SetVisible(!MeshMode());
    for (const char* name : {"DiameterBalanceDep", "Cut"}) CustomRow(name).SetVisible(MeshMode());
}
