// Undo and redo in the window: keys and tools, rows and tree restored, and the
// unsaved-changes question following the saved position.
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <vector>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"

// Last: the X headers define names such as None.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

class UndoTest : public FrameTest {
protected:
    void DragIteration(std::initializer_list<int> values) {
        wxSlider* slider = Simple().Row("Iteration").Slider();
        for (int value : values) Drag(slider, value);
        Release(slider);
    }
    int Iteration() { return Simple().Model().Base().Iteration(); }
    int Balance() { return Simple().Custom().GetParameter(grovewright::SimpleSetup::kBalance); }
    // Gives the slider the keyboard focus, as a click or a drag does.
    void Focus(wxSlider* slider) {
        frame->Raise();
        slider->SetFocus();
        for (int i = 0; i < 50 && wxWindow::FindFocus() != slider; ++i) {
            Pump();
            wxMilliSleep(10);
        }
        ASSERT_EQ(wxWindow::FindFocus(), slider);
    }
    // A real key press through the X server; its events arrive a little later.
    void Press(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator().Char(key, modifiers);
        for (int i = 0; i < 20; ++i) {
            Pump();
            wxMilliSleep(10);
        }
    }
};

TEST_F(UndoTest, KeyboardUndoAfterASliderDragRestoresTheRowAndTheTree) {
    Simple().SetHeight(200);
    DragIteration({3});
    Command(ID_MODE_FULL_3D);
    const int triangles = View().GetTreeTriangles();
    ASSERT_GT(triangles, 0);
    Command(ID_MODE_LINE);
    DragIteration({4, 5, 6});
    Command(ID_MODE_FULL_3D);
    ASSERT_GT(View().GetTreeTriangles(), triangles);

    // A slider has the keyboard focus, as after a real drag: the keys still reach the window.
    Focus(Simple().Row("ObliqueAngle").Slider());
    Press('Z', wxMOD_CONTROL);  // the whole drag at once
    EXPECT_EQ(Iteration(), 3);
    EXPECT_EQ(Simple().Row("Iteration").Slider()->GetValue(), 3);
    EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), "Iteration: 3");
    EXPECT_EQ(View().GetTreeTriangles(), triangles);
    Press('Z', wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_EQ(Iteration(), 6);
    Press('Z', wxMOD_CONTROL);
    Press('Y', wxMOD_CONTROL);
    EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), "Iteration: 6");
}

TEST_F(UndoTest, TheToolsFollowWhatCanBeUndoneAndRedone) {
    EXPECT_FALSE(ToolEnabled(ID_UNDO));
    EXPECT_FALSE(ToolEnabled(ID_REDO));
    DragIteration({2});
    EXPECT_TRUE(ToolEnabled(ID_UNDO));
    Command(ID_UNDO);
    EXPECT_FALSE(ToolEnabled(ID_UNDO));
    EXPECT_TRUE(ToolEnabled(ID_REDO));
    Command(ID_REDO);
    EXPECT_EQ(Iteration(), 2);
    EXPECT_FALSE(ToolEnabled(ID_REDO));
    // A click on a check box, a leaf slider and a reset are steps too.
    Click(Simple().Row("Cut").CheckBox());
    Drag(Leaves().Page(1).Row("Width").Slider(), 30);
    Command(ID_RESET_CURRENT_TREE);
    EXPECT_EQ(Iteration(), 0);
    Command(ID_UNDO);
    EXPECT_EQ(Iteration(), 2);
    EXPECT_TRUE(Simple().Row("Cut").CheckBox()->GetValue());
    Command(ID_UNDO);
    EXPECT_EQ(Leaves().Page(1).Row("Width").Label()->GetLabel(), "Width: 0.00 m");
    Command(ID_UNDO);
    EXPECT_FALSE(Simple().Row("Cut").CheckBox()->GetValue());
}

TEST_F(UndoTest, UndoShowsTheGeneratorWhoseValueItRestores) {
    DragIteration({3});
    frame->TreeNotebook()->SetSelection(2);
    Pump();
    Command(ID_UNDO);
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 0);
    EXPECT_EQ(Iteration(), 0);
    EXPECT_EQ(frame->Design().ActiveGenerator(), 0);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 1u);  // the simple tree, grown again
}

TEST_F(UndoTest, UndoingBackToTheSavedDesignLeavesNothingUnsaved) {
    grovewright::test::TempFolder folder;
    DragIteration({4});
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree.xml"))));
    DragIteration({7});
    EXPECT_TRUE(frame->IsDesignModified());
    Command(ID_UNDO);
    EXPECT_FALSE(frame->IsDesignModified());
    Command(ID_NEW_PROJECT);  // no question: a dialog here would fail the test
    EXPECT_EQ(Iteration(), 0);
    // New Project is a step of its own, and the design before it was not saved as it was.
    Command(ID_UNDO);
    EXPECT_EQ(Iteration(), 4);
    EXPECT_TRUE(frame->IsDesignModified());
}

TEST_F(UndoTest, UndoingALoadTakesTheWindowBackToTheFileBefore) {
    grovewright::test::TempFolder folder;
    const wxString a = wxString::FromUTF8(folder.File("a.xml")), b = wxString::FromUTF8(folder.File("b.xml"));
    DragIteration({3});
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(b));
    DragIteration({5});
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(a));
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(b));
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + b);
    Command(ID_UNDO);  // the design of a.xml again, and its file: Save cannot write it into b.xml
    EXPECT_EQ(Iteration(), 5);
    EXPECT_EQ(frame->CurrentFileName(), a);
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + a);
    DragIteration({6});
    Command(ID_SAVE);
    EXPECT_NE(grovewright::test::ReadFileBytes(folder.File("a.xml")).find("<Iteration>6</Iteration>"),
              std::string::npos);
    EXPECT_NE(grovewright::test::ReadFileBytes(folder.File("b.xml")).find("<Iteration>3</Iteration>"),
              std::string::npos);
    // Undoing New Project gives the file back too.
    Command(ID_NEW_PROJECT);  // saved: no question
    EXPECT_TRUE(frame->CurrentFileName().empty());
    EXPECT_FALSE(Enabled(ID_SAVE));
    Command(ID_UNDO);
    EXPECT_EQ(frame->CurrentFileName(), a);
    EXPECT_TRUE(Enabled(ID_SAVE));
}

TEST_F(UndoTest, AnEditBeyondTheMemoryBudgetIsRefusedAndTheSliderReturns) {
    DragIteration({5});
    frame->Design().SetMemoryBudget(1 << 20);
    wxString told;
    wxTEST_DIALOG(
        {
            Drag(Simple().Row("Iteration").Slider(), 20);
            Pump();
        },
        ExpectMessage(wxOK, told));
    EXPECT_NE(told.find("This change was not made"), wxString::npos);
    EXPECT_EQ(Iteration(), 5);
    EXPECT_EQ(Simple().Row("Iteration").Slider()->GetValue(), 5);
    EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), "Iteration: 5");
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 63u);
}

TEST_F(UndoTest, ALoadedDesignBeyondTheBudgetIsNotGrownAndSaysSo) {
    // Valid, but some 59 GB of leaves: Iteration 20 with every leaf page on.
    grovewright::TreeDesign huge;
    huge.Set(grovewright::ParameterId::Base(0, grovewright::BaseSetup::kIteration), 20);
    for (int page = 0; page < grovewright::LeafGeneratorModel::kPageCount; ++page) {
        using L = grovewright::LeafSetup;
        huge.Set(grovewright::ParameterId::Leaf(page, L::kUseLeaf), 1);
        huge.Set(grovewright::ParameterId::Leaf(page, L::kLeafSplit), 3);
        huge.Set(grovewright::ParameterId::Leaf(page, L::kSegmentCount), 10);
        huge.Set(grovewright::ParameterId::Leaf(page, L::kRelativAddDownTo), 20);
    }
    grovewright::test::TempFolder folder;
    grovewright::test::WriteFileBytes(folder.File("huge.xml"), grovewright::test::WrittenProject([&](auto& writer) {
                                          huge.WriteSections(writer);
                                      }));

    wxString told;
    wxTEST_DIALOG(
        {
            Command(ID_LOAD);
            Pump();
        },
        wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("huge.xml"))), ExpectMessage(wxOK, told));
    EXPECT_NE(told.find("The tree is not shown"), wxString::npos);
    EXPECT_EQ(Iteration(), 20);  // loaded, so that it can be made smaller
    EXPECT_TRUE(frame->Skeleton().Empty());
    // Nothing to export: said, and no file dialog.
    Command(ID_MODE_FULL_3D);
    wxTEST_DIALOG(Command(ID_EXPORT_DXF_TREE), ExpectMessage(wxOK, told));
    EXPECT_NE(told.find("too large"), wxString::npos);
    DragIteration({6});
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 127u);
}

TEST_F(UndoTest, TheMouseWheelOverASliderEditsTheDesignOneStepPerBurst) {
    wxSlider* slider = Simple().Row("Iteration").Slider();
    Wheel(slider, 1);
    Wheel(slider, 2);
    Wheel(slider, 3);
    EXPECT_EQ(Iteration(), 3);
    EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), "Iteration: 3");
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 15u);
    EXPECT_TRUE(frame->IsDesignModified());
    // The wheel rests, then turns again: a second step.
    wxMilliSleep(600);
    Wheel(slider, 4);
    Wheel(slider, 5);
    Command(ID_UNDO);
    EXPECT_EQ(Iteration(), 3);
    EXPECT_EQ(slider->GetValue(), 3);
    Command(ID_UNDO);
    EXPECT_EQ(Iteration(), 0);
    EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), "Iteration: 0");
    EXPECT_FALSE(ToolEnabled(ID_UNDO));
    // A drag right after a wheel burst is a step of its own.
    Wheel(slider, 2);
    DragIteration({6});
    Command(ID_UNDO);
    EXPECT_EQ(Iteration(), 2);
}

TEST_F(UndoTest, KeyboardHomeEndAndPageKeysOverASliderReachTheDesign) {
    wxSlider* slider = Simple().Row("Iteration").Slider();
    Focus(slider);
    auto press = [&](int key) {
        Press(key);
        // The thumb and the label never disagree with the design.
        EXPECT_EQ(slider->GetValue(), Iteration());
        EXPECT_EQ(Simple().Row("Iteration").Label()->GetLabel(), wxString::Format("Iteration: %d", Iteration()));
    };
    press(WXK_END);
    EXPECT_EQ(Iteration(), slider->GetMax());
    press(WXK_HOME);
    EXPECT_EQ(Iteration(), 0);
    press(WXK_PAGEDOWN);
    press(WXK_RIGHT);
    const int moved = Iteration();
    EXPECT_GT(moved, 0);
    // One step each: the last key is undone alone.
    Command(ID_UNDO);
    EXPECT_LT(Iteration(), moved);
}

namespace {

// Turns the mouse wheel where the pointer is (down for positive notches), through
// the X server as a mouse does: the toolkit sees real wheel events with their times.
void TurnWheel(int notches) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    const unsigned button = notches > 0 ? 5 : 4;
    for (int i = 0; i < std::abs(notches); ++i) {
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
    }
    XFlush(display);
}

// The scroll positions of every page the window lies on, innermost first.
std::vector<wxPoint> PagePositions(wxWindow* window) {
    std::vector<wxPoint> positions;
    for (wxWindow* parent = window->GetParent(); parent; parent = parent->GetParent())
        if (auto* page = dynamic_cast<wxScrolledWindow*>(parent)) positions.push_back(page->GetViewStart());
    return positions;
}

}  // namespace

TEST_F(UndoTest, KeyboardFocusDecidesWhetherTheWheelMovesASliderOrScrollsTheColumn) {
    // At the start the view has the focus, no slider.
    frame->Raise();
    frame->StartUp();
    for (int i = 0; i < 20 && wxWindow::FindFocus() != &View(); ++i) Pump(), wxMilliSleep(10);
    EXPECT_EQ(wxWindow::FindFocus(), &View());
    frame->SetSize(800, 420);  // the settings column no longer fits: it scrolls
    wxSlider* balance = Simple().CustomRow("Balance").Slider();
    Pump();
    auto pointAt = [&] {
        wxUIActionSimulator().MouseMove(balance->GetScreenPosition() + balance->GetSize() / 2);
        for (int i = 0; i < 10; ++i) Pump(), wxMilliSleep(10);
    };
    auto waitForWheel = [] {
        for (int i = 0; i < 30; ++i) Pump(), wxMilliSleep(10);
    };
    pointAt();
    const int before = balance->GetValue();
    const std::vector<wxPoint> start = PagePositions(balance);
    // Without the focus the slider passes the wheel on: its column scrolls, no value changes.
    TurnWheel(1);
    waitForWheel();
    EXPECT_EQ(balance->GetValue(), before);
    EXPECT_EQ(Balance(), before);
    EXPECT_NE(PagePositions(balance), start);
    EXPECT_FALSE(ToolEnabled(ID_UNDO));
    // With the focus the slider takes it, and the column stays.
    Focus(balance);
    pointAt();
    const std::vector<wxPoint> scrolled = PagePositions(balance);
    TurnWheel(1);
    waitForWheel();
    EXPECT_NE(balance->GetValue(), before);
    EXPECT_EQ(Balance(), balance->GetValue());
    EXPECT_EQ(PagePositions(balance), scrolled);
    Command(ID_UNDO);
    EXPECT_EQ(Balance(), before);
}

TEST_F(UndoTest, KeyboardFocusedSliderTakesAWheelBurstOfSlowEditsAsOneStep) {
    wxSlider* balance = Simple().CustomRow("Balance").Slider();
    Focus(balance);
    wxUIActionSimulator().MouseMove(balance->GetScreenPosition() + balance->GetSize() / 2);
    for (int i = 0; i < 10; ++i) Pump(), wxMilliSleep(10);
    const int before = balance->GetValue();
    // Every edit takes 0.7 s, longer than the pause that ends a burst.
    frame->Design().AddObserver([](const grovewright::DesignChange& change) {
        if (change.valuesChanged) wxMilliSleep(700);
    });
    TurnWheel(3);  // three notches in a moment
    for (int i = 0; i < 250; ++i) Pump(), wxMilliSleep(10);  // at most three edits of 0.7 s
    ASSERT_NE(Balance(), before);
    Command(ID_UNDO);  // the whole burst at once
    EXPECT_EQ(Balance(), before);
    EXPECT_FALSE(ToolEnabled(ID_UNDO));
}

TEST_F(UndoTest, KeyboardEndOnASliderWhoseEndIsTooLargeSaysSoOnce) {
    frame->Design().SetMemoryBudget(std::size_t{1} << 30);
    Command(ID_EXAMPLE_FIRST + 7);  // the sapling, a simple design
    wxSlider* iteration = Simple().Row("Iteration").Slider();
    const int kept = Iteration();
    Focus(iteration);
    wxString text;
    auto pressEnd = [&] {
        Press(WXK_END);
        for (int i = 0; i < 30; ++i) Pump(), wxMilliSleep(10);
    };
    // One message box and no other: a second would fail the test as unexpected.
    wxTEST_DIALOG(pressEnd(), ExpectMessage(wxOK, text));
    EXPECT_NE(text.Find("not made"), wxNOT_FOUND) << text;
    EXPECT_EQ(Iteration(), kept);
    EXPECT_EQ(iteration->GetValue(), kept);
}

TEST_F(UndoTest, KeyboardShortcutsWorkWhileTheWindBoxHasTheFocus) {
    Command(ID_EXAMPLE_FIRST);  // the oak, in Full 3D
    Command(ID_WIND);
    wxSlider* strength = nullptr;
    for (wxWindow* window : frame->GetChildren())
        if (auto* box = dynamic_cast<wxDialog*>(window); box && box->GetTitle() == "Wind")
            for (wxWindow* child : box->GetChildren())
                if (auto* slider = dynamic_cast<wxSlider*>(child)) strength = slider;
    ASSERT_NE(strength, nullptr);
    strength->GetParent()->Raise();
    strength->SetFocus();
    for (int i = 0; i < 50 && wxWindow::FindFocus() != strength; ++i) Pump(), wxMilliSleep(10);
    ASSERT_EQ(wxWindow::FindFocus(), strength);
    Press(WXK_F1);
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    Press(WXK_F3);
    EXPECT_TRUE(Checked(ID_MODE_FULL_3D));
    Press('Z', wxMOD_CONTROL);  // nothing to undo after the example: still harmless
    EXPECT_TRUE(View().WindOn());
}
