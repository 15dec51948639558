#pragma once

#include <wx/checkbox.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>
#include <functional>

#include "generators/ParameterFormat.h"

// One settings row: a label (translated prefix plus the formatted value) and a
// horizontal slider, or a label and a check box. The row calls back on the
// scroll events that edit a value (thumb track, line up and down, page up and
// down) or on a click of its check box.
class SliderRow {
public:
    struct Place {
        int x, y, width, height;
    };

    // The size a slider is given for the requested one: GTK's scale needs 26
    // pixels of height and prints a warning for every slider allocated less.
    static wxSize SliderSize(int width, int height) { return wxSize(width, std::max(height, 26)); }

    // A slider row.
    SliderRow(wxWindow* parent, const char* prefix, grovewright::ValueFormat format, int value, int minimum,
              int maximum, Place label, Place slider);
    // A check box row (empty check box label, natural size).
    SliderRow(wxWindow* parent, const char* prefix, bool checked, Place label, wxPoint checkBox);

    // Called with the slider's value, or with nothing for a check box click.
    void OnEdit(std::function<void(int)> handler);

    // Moves the slider (or sets the check box) and rewrites the label.
    void Show(int value);
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);

    wxStaticText* Label() const { return label_; }
    wxSlider* Slider() const { return slider_; }
    wxCheckBox* CheckBox() const { return checkBox_; }

private:
    wxString LabelText(int value) const;

    wxString prefix_;
    grovewright::ValueFormat format_;
    wxStaticText* label_ = nullptr;
    wxSlider* slider_ = nullptr;
    wxCheckBox* checkBox_ = nullptr;
};
