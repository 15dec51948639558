#pragma once

#include <wx/checkbox.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/longlong.h>

#include <algorithm>

#include "generators/TreeDesign.h"

// Scrolls the page by the wheel event's lines (wx passes no mouse events on to
// the parent, so a page's rows hand the wheel to it); whether it moved.
bool ScrollByWheel(wxScrolledWindow& page, const wxMouseEvent& event);

// One settings row, a view of one design parameter: a label (translated prefix
// plus the formatted value) and a horizontal slider, or a label and a check box,
// as the parameter's table row says. Every way the slider moves (a drag, the
// keys, the mouse wheel) and the check box's click go to the design as edits; a
// thumb drag and a burst of wheel steps are one undo step each, a key press is
// one. The wheel moves the slider only while it has the keyboard focus (a click
// or Tab gives it); otherwise it scrolls the page the row is on, so that
// scrolling never changes a value that passes under the pointer. The row shows
// the parameter's value whenever the design says it changed.
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
    // Edits that took longer than this make the row coalesce the next ones: slider
    // events that come while a slow edit is drawn are applied once, with the
    // newest value, instead of one by one (tests set it).
    static void SetSlowEditMilliseconds(long milliseconds) { slowEditMilliseconds_ = milliseconds; }

    const grovewright::ParameterId& Id() const { return id_; }
    wxStaticText* Label() const { return label_; }
    wxSlider* Slider() const { return slider_; }
    wxCheckBox* CheckBox() const { return checkBox_; }

private:
    enum class Gesture { None, Drag, Key, Wheel };
    // Wheel steps further apart than this start a new undo step.
    static constexpr int kWheelBurstMilliseconds = 500;

    // The slider was moved by the gesture: its value goes to the design.
    void OnSliderMoved(Gesture gesture);
    // The wheel over the row: the focused slider takes it, else the page scrolls.
    void OnWheel(wxMouseEvent& event);
    // Applies the value now, or, after a slow edit, once the events queued
    // meanwhile have been seen, with the newest value.
    void ApplyCoalesced(int value, bool dragging);
    void ApplyPending();
    wxString LabelText(int value) const;
    int ShownValue() const;

    grovewright::TreeDesign& design_;
    grovewright::ParameterId id_;
    wxString prefix_;
    grovewright::ValueFormat format_;
    wxStaticText* label_ = nullptr;
    wxSlider* slider_ = nullptr;
    wxCheckBox* checkBox_ = nullptr;
    Gesture lastGesture_ = Gesture::None;
    // When the last move's input event happened by the toolkit's clock (0:
    // unknown), and when its handling ended by the wall clock.
    unsigned long lastEventTime_ = 0;
    wxLongLong lastMoveHandled_ = 0;
    int pendingValue_ = 0;
    bool pendingDragging_ = false;
    bool applyQueued_ = false;
    bool lastEditSlow_ = false;
    static inline long slowEditMilliseconds_ = 16;  // a frame at 60 Hz
};
