#include "GuiTestSupport.h"

#include <wx/app.h>

wxMouseEvent Mouse(wxEventType type, int x, int y, bool left, bool right, bool shift, bool control) {
    wxMouseEvent event(type);
    event.m_x = x;
    event.m_y = y;
    event.m_leftDown = left;
    event.m_rightDown = right;
    event.m_shiftDown = shift;
    event.m_controlDown = control;
    return event;
}

int PressCancel::FilterEvent(wxEvent& event) {
    auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    auto* progress = window ? dynamic_cast<wxProgressDialog*>(wxGetTopLevelParent(window)) : nullptr;
    if (!progress || !title.empty()) return Event_Skip;
    title = progress->GetTitle();
    if (label) labelThen = label->GetLabel();
    if (!press) return Event_Skip;
    pressed = true;
    wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
    cancel.SetEventObject(progress);
    progress->ProcessWindowEvent(cancel);
    return Event_Skip;
}

void FrameTest::SetUp() {
    frame = new MainFrame(nullptr, wxEmptyString);
    frame->Show(true);
    frame->SetSize(100, 100, 800, 550);
    for (int i = 0; i < 200 && !frame->IsShownOnScreen(); ++i) {
        Pump();
        wxMilliSleep(10);
    }
    ASSERT_TRUE(frame->IsShownOnScreen());
    frame->LayoutWindows();
    // Every frame in full: a slow moment under a sanitizer must not lighten the
    // pictures the tests look at. The drag tests turn it on.
    frame->DrawPanel().SetLighterWhileDragging(false);
    Pump();
}

void FrameTest::TearDown() {
    if (!frame) return;  // closed by the test
    // Nothing was saved on purpose: drop the flags so that closing asks nothing.
    for (AbstractGrovewright* generator : frame->Generators()) generator->ClearModified();
    if (frame->LeavesMade()) frame->Leaves().ClearModified();
    frame->Destroy();
    Pump();
}

bool FrameTest::CloseFrame(bool force) {
    frame->Close(force);
    Pump();
    // A destroyed frame leaves the list of top-level windows once deleted.
    if (wxTopLevelWindows.Member(frame)) return false;
    frame = nullptr;
    return true;
}

void FrameTest::Pump() {
    for (int i = 0; i < 5; ++i) wxYield();
}

void FrameTest::Command(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
}

void FrameTest::Drag(wxSlider* slider, int value) {
    slider->SetValue(value);
    wxScrollEvent event(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), value, wxHORIZONTAL);
    event.SetEventObject(slider);
    slider->ProcessWindowEvent(event);
}

void FrameTest::Wheel(wxSlider* slider, int value) {
    slider->SetValue(value);
    wxScrollEvent event(wxEVT_SCROLL_CHANGED, slider->GetId(), value, wxHORIZONTAL);
    event.SetEventObject(slider);
    slider->ProcessWindowEvent(event);
}

void FrameTest::Release(wxSlider* slider) {
    wxScrollEvent event(wxEVT_SCROLL_THUMBRELEASE, slider->GetId(), slider->GetValue(), wxHORIZONTAL);
    event.SetEventObject(slider);
    slider->ProcessWindowEvent(event);
}

void FrameTest::Click(wxCheckBox* box) {
    box->SetValue(!box->GetValue());
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    box->ProcessWindowEvent(event);
}
