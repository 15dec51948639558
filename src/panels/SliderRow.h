#pragma once

#include <wx/checkbox.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>

#include "generators/TreeDesign.h"

// One settings row, a view of one design parameter: a label (translated prefix
// plus the formatted value) and a horizontal slider, or a label and a check box,
// as the parameter's table row says. The slider's edit events (thumb track, line
// up and down, page up and down) and the check box's click go to the design as
// edits; a thumb drag is one undo step. The row shows the parameter's value
// whenever the design says it changed.
class SliderRow {
public:
    struct Place {
        int x, y, width, height;
    };

    // The size a slider is given for the requested one: GTK's scale needs 26
    // pixels of height and prints a warning for every slider allocated less.
    static wxSize SliderSize(int width, int height) { return wxSize(width, std::max(height, 26)); }

    // label: where the label goes; control: the slider's place, or the check
    // box's position (natural size, empty label).
    SliderRow(wxWindow* parent, grovewright::TreeDesign& design, grovewright::ParameterId id, Place label,
              Place control);

    // Moves the slider (or sets the check box) and rewrites the label.
    void Show(int value);
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);

    const grovewright::ParameterId& Id() const { return id_; }
    wxStaticText* Label() const { return label_; }
    wxSlider* Slider() const { return slider_; }
    wxCheckBox* CheckBox() const { return checkBox_; }

private:
    wxString LabelText(int value) const;
    int ShownValue() const;

    grovewright::TreeDesign& design_;
    grovewright::ParameterId id_;
    wxString prefix_;
    grovewright::ValueFormat format_;
    wxStaticText* label_ = nullptr;
    wxSlider* slider_ = nullptr;
    wxCheckBox* checkBox_ = nullptr;
};
