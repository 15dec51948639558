#include "panels/SliderRow.h"

#include <wx/intl.h>

using grovewright::TreeDesign;

SliderRow::SliderRow(wxWindow* parent, TreeDesign& design, grovewright::ParameterId id, Place label, Place control)
    : design_(design), id_(id) {
    const grovewright::Parameter& parameter = TreeDesign::Describe(id);
    prefix_ = wxGetTranslation(parameter.label);
    format_ = parameter.format;
    const int value = design.Get(id);
    label_ = new wxStaticText(parent, wxID_ANY, LabelText(value), wxPoint(label.x, label.y),
                              wxSize(label.width, label.height));
    if (parameter.IsFlag()) {
        checkBox_ = new wxCheckBox(parent, wxID_ANY, wxEmptyString, wxPoint(control.x, control.y));
        checkBox_->SetValue(value != 0);
        checkBox_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { design_.Apply(id_, design_.Get(id_) == 0); });
    } else {
        slider_ =
            new wxSlider(parent, wxID_ANY, value, parameter.range.min, parameter.range.max,
                         wxPoint(control.x, control.y), SliderSize(control.width, control.height), wxSL_HORIZONTAL);
        slider_->Bind(wxEVT_SCROLL_THUMBTRACK,
                      [this](wxScrollEvent&) { design_.Apply(id_, slider_->GetValue(), true); });
        for (auto type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN})
            slider_->Bind(type, [this](wxScrollEvent&) { design_.Apply(id_, slider_->GetValue()); });
        // The drag is over: the next edit starts a step of its own.
        slider_->Bind(wxEVT_SCROLL_THUMBRELEASE, [this](wxScrollEvent& event) {
            design_.EndDrag();
            event.Skip();
        });
    }
    // Also after a refused edit: the slider goes back to the kept value. A change
    // of the whole design redraws only the rows whose value differs from the shown one.
    design.AddObserver([this](const grovewright::DesignChange& change) {
        if (!change.valuesChanged || (change.parameter && *change.parameter != id_)) return;
        const int value = design_.Get(id_);
        if (change.parameter || value != ShownValue()) Show(value);
    });
}

void SliderRow::Show(int value) {
    if (checkBox_) {
        checkBox_->SetValue(value != 0);
        return;
    }
    slider_->SetValue(value);
    label_->SetLabel(LabelText(value));
}

int SliderRow::ShownValue() const { return checkBox_ ? checkBox_->GetValue() : slider_->GetValue(); }

void SliderRow::SetVisible(bool visible) {
    label_->Show(visible);
    if (slider_) slider_->Show(visible);
    if (checkBox_) checkBox_->Show(visible);
}

wxString SliderRow::LabelText(int value) const {
    return prefix_ + wxString::FromUTF8(grovewright::FormatValue(format_, value));
}

void SliderRow::SetEnabled(bool enabled) {
    label_->Enable(enabled);
    if (slider_) slider_->Enable(enabled);
    if (checkBox_) checkBox_->Enable(enabled);
}
