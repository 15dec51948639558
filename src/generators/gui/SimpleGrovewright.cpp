#include "generators/gui/SimpleGrovewright.h"

#include <stdexcept>


using grovewright::SimpleSetup;
using grovewright::ValueFormat;

SimpleGrovewright::SimpleGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator,
                                     grovewright::TGXMLFileWriter& writer,
                                     GrovewrightDrawPanelGL& drawPanel, grovewright::SkeletonLevels& skeleton)
    : AbstractGrovewright(parent, leafCreator, writer, drawPanel, skeleton,
                          std::make_unique<grovewright::SimpleTreeModel>()) {
    page_ = new wxScrolledWindow(CustomNotebook(), wxID_ANY);
    page_->SetScrollbars(0, 5, 0, 30);
    CustomNotebook()->AddPage(page_, "Simple Tree Settings");

    const SimpleSetup& custom = Custom();
    auto slider = [&](const char* prefix, ValueFormat format, int value, grovewright::ParameterRange range, int y) {
        return std::make_unique<SliderRow>(page_, prefix, format, value, range.min, range.max,
                                           SliderRow::Place{10, y, 100, 25}, SliderRow::Place{120, y, 100, 25});
    };
    auto check = [&](const char* prefix, bool value, int y, int labelWidth, int boxX) {
        return std::make_unique<SliderRow>(page_, prefix, value, SliderRow::Place{10, y, labelWidth, 25},
                                           wxPoint(boxX, y));
    };
    auto add = [&](const char* name, std::unique_ptr<SliderRow> row, std::function<void(int)> edit) {
        row->OnEdit([this, edit](int v) {
            edit(v);
            Edited();
        });
        rows_.Add(name, std::move(row));
    };
    add("Balance", slider("Balance: ", ValueFormat::Hundredths, custom.Balance(), SimpleSetup::kBalance, 20),
        [this](int v) { SetBalance(v); });
    add("Spread", slider("Spread: ", ValueFormat::Integer, custom.SpreadAngle(), SimpleSetup::kSpreadAngle, 50),
        [this](int v) { SetSpreadAngle(v); });
    add("Twist", slider("Twist: ", ValueFormat::Integer, custom.TwistAngle(), SimpleSetup::kTwistAngle, 80),
        [this](int v) { SetTwistAngle(v); });
    add("BalanceDependence", check("Balance dep.: ", custom.BalanceDependence(), 110, 100, 120),
        [this](int) { SetBalanceDependence(!Custom().BalanceDependence()); });
    add("DiameterBalanceDep", check("Diameter balance dep.: ", custom.DiameterBalanceDep(), 20, 160, 200),
        [this](int) { SetDiameterBalanceDep(!Custom().DiameterBalanceDep()); });
    add("Cut", check("Cut: ", custom.Cut(), 50, 160, 200), [this](int) { SetCustomCut(!Custom().Cut()); });
    SetMeshMode(false);
}

const SimpleSetup& SimpleGrovewright::Custom() const {
    return static_cast<const grovewright::SimpleTreeModel&>(Model()).Custom();
}

SimpleSetup& SimpleGrovewright::EditCustom() {
    return static_cast<grovewright::SimpleTreeModel&>(ModelForEdit()).Custom();
}

SliderRow& SimpleGrovewright::CustomRow(const std::string& name) { return rows_[name]; }

void SimpleGrovewright::SetBalance(int v) {
    if (EditCustom().SetBalance(v)) CustomRow("Balance").Show(v);
}

void SimpleGrovewright::SetSpreadAngle(int v) {
    if (EditCustom().SetSpreadAngle(v)) CustomRow("Spread").Show(v);
}

void SimpleGrovewright::SetTwistAngle(int v) {
    if (EditCustom().SetTwistAngle(v)) CustomRow("Twist").Show(v);
}

void SimpleGrovewright::SetBalanceDependence(bool on) {
    EditCustom().SetBalanceDependence(on);
    CustomRow("BalanceDependence").Show(on);
}

void SimpleGrovewright::SetCustomCut(bool on) {
    EditCustom().SetCut(on);
    CustomRow("Cut").Show(on);
}

void SimpleGrovewright::SetDiameterBalanceDep(bool on) {
    EditCustom().SetDiameterBalanceDep(on);
    CustomRow("DiameterBalanceDep").Show(on);
}

void SimpleGrovewright::ShowValues() {
    AbstractGrovewright::ShowValues();
    const SimpleSetup& custom = Custom();
    CustomRow("Balance").Show(custom.Balance());
    CustomRow("Spread").Show(custom.SpreadAngle());
    CustomRow("Twist").Show(custom.TwistAngle());
    CustomRow("BalanceDependence").Show(custom.BalanceDependence());
    CustomRow("Cut").Show(custom.Cut());
    CustomRow("DiameterBalanceDep").Show(custom.DiameterBalanceDep());
}

void SimpleGrovewright::SetMeshMode(bool on) {
    AbstractGrovewright::SetMeshMode(on);
    for (const char* name : {"Balance", "Spread", "Twist", "BalanceDependence"}) CustomRow(name).SetVisible(!on);
    for (const char* name : {"DiameterBalanceDep", "Cut"}) CustomRow(name).SetVisible(on);
}
