#include "panels/SliderRow.h"

#include <wx/intl.h>

SliderRow::SliderRow(wxWindow* parent, const char* prefix, grovewright::ValueFormat format, int value, int minimum,
                     int maximum, Place label, Place slider)
    : prefix_(wxGetTranslation(prefix)), format_(format) {
    label_ = new wxStaticText(parent, wxID_ANY, LabelText(value), wxPoint(label.x, label.y),
                              wxSize(label.width, label.height));
    slider_ = new wxSlider(parent, wxID_ANY, value, minimum, maximum, wxPoint(slider.x, slider.y),
                           SliderSize(slider.width, slider.height), wxSL_HORIZONTAL);
}

SliderRow::SliderRow(wxWindow* parent, const char* prefix, bool checked, Place label, wxPoint checkBox)
    : prefix_(wxGetTranslation(prefix)), format_(grovewright::ValueFormat::None) {
    label_ = new wxStaticText(parent, wxID_ANY, prefix_, wxPoint(label.x, label.y), wxSize(label.width, label.height));
    checkBox_ = new wxCheckBox(parent, wxID_ANY, wxEmptyString, checkBox);
    checkBox_->SetValue(checked);
}

void SliderRow::OnEdit(std::function<void(int)> handler) {
    if (checkBox_) {
        checkBox_->Bind(wxEVT_CHECKBOX, [handler](wxCommandEvent&) { handler(0); });
        return;
    }
    auto onScroll = [this, handler](wxScrollEvent&) { handler(slider_->GetValue()); };
    for (auto type : {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                      wxEVT_SCROLL_PAGEDOWN})
        slider_->Bind(type, onScroll);
}

void SliderRow::Show(int value) {
    if (checkBox_) {
        checkBox_->SetValue(value != 0);
        return;
    }
    slider_->SetValue(value);
    label_->SetLabel(LabelText(value));
}

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
