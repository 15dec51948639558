#include "panels/SliderRow.h"

#include <gtk/gtk.h>
#include <wx/intl.h>
#include <wx/panel.h>
#include <wx/stopwatch.h>
#include <wx/time.h>

using grovewright::TreeDesign;

bool ScrollByWheel(wxScrolledWindow& page, const wxMouseEvent& event) {
    const int notches = -event.GetWheelRotation() / std::max(1, event.GetWheelDelta());
    const wxPoint start = page.GetViewStart();
    page.Scroll(start.x, std::max(0, start.y + notches * event.GetLinesPerAction()));
    return page.GetViewStart() != start;
}

SliderRow::SliderRow(wxWindow* parent, TreeDesign& design, grovewright::ParameterId id, Place label, Place control)
    : design_(design), id_(id) {
    const grovewright::Parameter& parameter = TreeDesign::Describe(id);
    prefix_ = wxGetTranslation(parameter.label);
    format_ = parameter.format;
    const int value = design.Get(id);
    label_ = new wxStaticText(parent, wxID_ANY, LabelText(value), wxPoint(label.x, label.y),
                              wxSize(label.width, label.height));
    if (parameter.IsFlag()) {
        // The box stands on a panel of its own: the toolkit hides a check box's
        // empty label, and a scrolling page moves every widget that shares its
        // window, the hidden label too, of which GTK complains at every step.
        auto* holder = new wxPanel(parent, wxID_ANY, wxPoint(control.x, control.y));
        checkBox_ = new wxCheckBox(holder, wxID_ANY, wxEmptyString);
        holder->SetSize(checkBox_->GetBestSize());
        checkBox_->SetValue(value != 0);
        checkBox_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { design_.Apply(id_, design_.Get(id_) == 0); });
        checkBox_->Bind(wxEVT_MOUSEWHEEL, &SliderRow::OnWheel, this);
    } else {
        slider_ =
            new wxSlider(parent, wxID_ANY, value, parameter.range.min, parameter.range.max,
                         wxPoint(control.x, control.y), SliderSize(control.width, control.height), wxSL_HORIZONTAL);
        slider_->Bind(wxEVT_MOUSEWHEEL, &SliderRow::OnWheel, this);
        slider_->Bind(wxEVT_SCROLL_THUMBTRACK, [this](wxScrollEvent&) { OnSliderMoved(Gesture::Drag); });
        for (auto type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                          wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM})
            slider_->Bind(type, [this](wxScrollEvent&) { OnSliderMoved(Gesture::Key); });
        // Every move ends with this event; the mouse wheel sends nothing else.
        // After a drag or a key the design has the value already.
        slider_->Bind(wxEVT_SCROLL_CHANGED, [this](wxScrollEvent&) { OnSliderMoved(Gesture::Wheel); });
        // The drag is over: the next edit starts a step of its own.
        slider_->Bind(wxEVT_SCROLL_THUMBRELEASE, [this](wxScrollEvent& event) {
            // A move still queued belongs to this drag's step.
            if (applyQueued_) ApplyPending();
            design_.EndDrag();
            lastGesture_ = Gesture::None;
            event.Skip();
        });
    }
    // What the value does, its unit and range, over the whole row.
    const wxString help = wxString::FromUTF8(parameter.help);
    label_->Bind(wxEVT_MOUSEWHEEL, &SliderRow::OnWheel, this);
    label_->SetToolTip(help);
    if (slider_) slider_->SetToolTip(help);
    if (checkBox_) checkBox_->SetToolTip(help);
    // Also after a refused edit: the slider goes back to the kept value. A change
    // of the whole design redraws only the rows whose value differs from the shown one.
    design.AddObserver([this](const grovewright::DesignChange& change) {
        if (!change.valuesChanged || (change.parameter && *change.parameter != id_)) return;
        const int value = design_.Get(id_);
        if (change.parameter || value != ShownValue()) Show(value);
    });
}

void SliderRow::OnWheel(wxMouseEvent& event) {
    if (slider_ && event.GetEventObject() == slider_ && slider_->HasFocus()) {
        event.Skip();  // the slider moves, and says so with its scroll events
        return;
    }
    // The innermost page that can still scroll that way: a tab's own page, else the column it is on.
    for (wxWindow* parent = label_->GetParent(); parent; parent = parent->GetParent())
        if (auto* page = dynamic_cast<wxScrolledWindow*>(parent); page && ScrollByWheel(*page, event)) return;
}

void SliderRow::OnSliderMoved(Gesture gesture) {
    const int value = slider_->GetValue();
    // The value the design has, or will have once a queued move is applied.
    const int current = applyQueued_ ? pendingValue_ : design_.Get(id_);
    if (gesture == Gesture::Wheel && value == current) return;
    // A wheel burst is one step, like a drag: its moves merge until the wheel
    // rests for a moment or another gesture starts. The pause is measured
    // between the input events' own times (when the user turned the wheel),
    // however long the edits between them took; a move without one is measured
    // from the end of the previous move's handling.
    const unsigned long eventTime = gtk_get_current_event_time();
    const bool burst = eventTime != GDK_CURRENT_TIME && lastEventTime_ != GDK_CURRENT_TIME
                           ? static_cast<guint32>(eventTime - lastEventTime_) < kWheelBurstMilliseconds
                           : wxGetUTCTimeMillis() - lastMoveHandled_ < kWheelBurstMilliseconds;
    const bool continues = gesture == lastGesture_ && gesture != Gesture::Key && (gesture == Gesture::Drag || burst);
    if (!continues) design_.EndDrag();
    lastGesture_ = gesture;
    lastEventTime_ = eventTime;
    ApplyCoalesced(value, gesture != Gesture::Key);
    lastMoveHandled_ = wxGetUTCTimeMillis();
}

void SliderRow::ApplyCoalesced(int value, bool dragging) {
    pendingValue_ = value;
    pendingDragging_ = dragging;
    if (applyQueued_) return;  // the queued edit takes the newest value
    if (!lastEditSlow_) {
        ApplyPending();
        return;
    }
    applyQueued_ = true;
    // Runs after the input events that queued up while the last edit was drawn.
    slider_->CallAfter([this] {
        if (applyQueued_) ApplyPending();
    });
}

void SliderRow::ApplyPending() {
    applyQueued_ = false;
    // The value being grown shows at once, however long that takes; a refused
    // or cancelled edit shows the kept value again.
    if (slider_ && ShownValue() == pendingValue_) {
        label_->SetLabel(LabelText(pendingValue_));
        label_->Update();
    }
    const wxStopWatch clock;
    design_.Apply(id_, pendingValue_, pendingDragging_);
    lastEditSlow_ = clock.Time() > slowEditMilliseconds_;
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
    if (checkBox_) {
        checkBox_->Show(visible);
        checkBox_->GetParent()->Show(visible);
    }
}

wxString SliderRow::LabelText(int value) const {
    return prefix_ + wxString::FromUTF8(grovewright::FormatValue(format_, value));
}

void SliderRow::SetEnabled(bool enabled) {
    label_->Enable(enabled);
    if (slider_) slider_->Enable(enabled);
    if (checkBox_) checkBox_->Enable(enabled);
}
