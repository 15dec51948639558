#include <wx/uiaction.h>

#include "GuiTestSupport.h"

TEST_F(FrameTest, ViewSettersIgnoreValuesOutOfRange) {
    GrovewrightDrawPanelGL& view = View();
    view.SetRenderMode(5);
    EXPECT_EQ(view.GetRenderMode(), 0);
    view.SetDivision(2);
    view.SetDiameter(0);
    view.SetObliqueAngle(91);
    view.SetAmbient(1.5f);
    view.SetDiffuse(-0.1f);
    EXPECT_EQ(view.TreeValues().Division(), 3);
    EXPECT_EQ(view.TreeValues().Diameter(), 1.0);
    EXPECT_EQ(view.TreeValues().ObliqueAngle(), 0);
    view.SetAmbient(0.25f);
    EXPECT_EQ(view.GetAmbient(), 0.25f);
    EXPECT_EQ(view.GetDiffuse(), 1.0f);
    view.SetSpecular(0.5f);
    EXPECT_EQ(view.GetSpecular(), 0.5f);
    view.SetDiameterReduction(80);
    EXPECT_DOUBLE_EQ(view.TreeValues().DiameterReduction(), 0.8);
}

TEST_F(FrameTest, MouseDragsMoveTheCameraWithinLimits) {
    GrovewrightDrawPanelGL& view = View();
    auto send = [&](wxMouseEvent event) { view.ProcessWindowEvent(event); };
    // Right drag up zooms in, not closer than 1; down zooms out, not farther than 50.
    send(Mouse(wxEVT_RIGHT_DOWN, 100, 5000, false, true));
    send(Mouse(wxEVT_MOTION, 100, 0, false, true));
    EXPECT_DOUBLE_EQ(view.GetCameraOffset().z, -1);
    send(Mouse(wxEVT_MOTION, 100, 5000, false, true));
    EXPECT_DOUBLE_EQ(view.GetCameraOffset().z, -50);
    // Shift drags move the camera height between -25 and -0.15.
    send(Mouse(wxEVT_LEFT_DOWN, 100, 5000, true, false, true));
    send(Mouse(wxEVT_MOTION, 100, 0, true, false, true));
    EXPECT_DOUBLE_EQ(view.GetCameraOffset().y, -25);
    send(Mouse(wxEVT_MOTION, 100, 5000, true, false, true));
    EXPECT_DOUBLE_EQ(view.GetCameraOffset().y, -0.15);
    // Horizontal: a quarter degree of yaw per pixel.
    send(Mouse(wxEVT_LEFT_DOWN, 100, 100, true, false));
    send(Mouse(wxEVT_MOTION, 140, 100, true, false));
    EXPECT_FLOAT_EQ(view.GetYaw(), 10);
    // Ctrl: one degree of pitch per event, at most 90; no vertical move, no change.
    send(Mouse(wxEVT_MOTION, 140, 100, true, false, false, true));
    EXPECT_EQ(view.GetPitch(), 0);
    for (int i = 0; i < 200; ++i) send(Mouse(wxEVT_MOTION, 140, 99 - i, true, false, false, true));
    EXPECT_EQ(view.GetPitch(), 90);
    // Without a button nothing happens.
    send(Mouse(wxEVT_MOTION, 900, 900, false, false));
    EXPECT_FLOAT_EQ(view.GetYaw(), 10);
    view.ResetView();
    EXPECT_EQ(view.GetPitch(), 0);
    EXPECT_DOUBLE_EQ(view.GetCameraOffset().z, -25);
}

TEST_F(FrameTest, ModesBuildListsAndCountTriangles) {
    GrovewrightDrawPanelGL& view = View();
    Simple().SetIteration(2);
    Simple().SetHeight(200);
    Simple().SetDivision(5);
    Simple().SetCustomCut(true);
    Simple().Rebuild();
    view.Redraw(0);
    EXPECT_FALSE(view.GetTreeList().Empty());  // lines
    EXPECT_TRUE(view.GetStumpList().Empty());
    Command(ID_MODE_FULL_3D);
    EXPECT_FALSE(view.GetTreeList().Empty());
    EXPECT_FALSE(view.GetStumpList().Empty());  // level 2 is cut
    EXPECT_EQ(view.GetTreeTriangles(), 7 * 2 * 5 + 4 * 5);
    EXPECT_EQ(view.GetLeafTriangles(), 0);
    EXPECT_TRUE(view.GetLeafList().Empty());  // no leaf page is used
    view.DeleteDisplayLists();
    EXPECT_TRUE(view.GetTreeList().Empty());
    EXPECT_FALSE(view.GetStumpList().Empty());  // the stump mesh stays
    // The next draw builds what was deleted.
    view.Redraw(1);
    EXPECT_FALSE(view.GetTreeList().Empty());
}

// A long build of the view's tree shows a progress dialog; Cancel keeps what was shown.
class LongBuildTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        Simple().SetHeight(300), Simple().SetHeightReduction(80), Simple().SetIteration(14);
        Simple().Rebuild();  // 32,767 segments: several progress reports
        // The dialog at once rather than after half a second: the test must not depend on the machine's speed.
        View().SetProgressDelay(0);
    }
    // Runs the work with the first progress dialog it shows cancelled.
    template <typename Work>
    void Cancelling(Work&& work) {
        PressCancel pressCancel;
        wxEvtHandler::AddFilter(&pressCancel);
        work();
        wxEvtHandler::RemoveFilter(&pressCancel);
        EXPECT_TRUE(pressCancel.pressed);
    }
};

TEST_F(LongBuildTest, CancellingAnEditsBuildKeepsThePreviousValueAndTree) {
    View().SetProgressDelay(-1);
    Command(ID_MODE_FULL_3D);
    const int triangles = View().GetTreeTriangles();
    ASSERT_GT(triangles, 0);
    const bool couldUndo = ToolEnabled(ID_UNDO);
    View().SetProgressDelay(0);
    wxSlider* division = Simple().Row("Division").Slider();
    Cancelling([&] { Drag(division, 12); });
    Release(division);
    EXPECT_EQ(Simple().Model().Base().Division(), 3);
    EXPECT_EQ(division->GetValue(), 3);
    EXPECT_EQ(Simple().Row("Division").Label()->GetLabel(), "Division: 3");
    EXPECT_EQ(View().GetTreeTriangles(), triangles);
    EXPECT_EQ(ToolEnabled(ID_UNDO), couldUndo);
    EXPECT_FALSE(frame->IsDesignModified());
    // Not cancelled, the same edit goes through.
    View().SetProgressDelay(-1);
    Drag(division, 12);
    Release(division);
    EXPECT_EQ(Simple().Model().Base().Division(), 12);
    EXPECT_GT(View().GetTreeTriangles(), triangles);
}

// A growth of a second or more, in any mode (Line too), shows its progress
// with the new value on the row; Cancel takes the edit back.
class LongGrowthTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        Simple().SetHeight(300), Simple().SetHeightReduction(80), Simple().SetIteration(14);
        Simple().Rebuild();
        ASSERT_EQ(View().GetRenderMode(), 0);
        frame->SetGrowthProgressDelay(0);
    }
};

TEST_F(LongGrowthTest, ShowsProgressWithTheNewValueAndCancelTakesTheEditBack) {
    SliderRow& iteration = Simple().Row("Iteration");
    const bool couldUndo = ToolEnabled(ID_UNDO);
    {
        PressCancel cancelling(true, iteration.Label());
        wxEvtHandler::AddFilter(&cancelling);
        Drag(iteration.Slider(), 19);  // a million segments, six million triangles
        wxEvtHandler::RemoveFilter(&cancelling);
        Release(iteration.Slider());
        EXPECT_EQ(cancelling.title, "Growing the tree");
        EXPECT_EQ(cancelling.labelThen, "Iteration: 19");
    }
    EXPECT_EQ(Simple().Model().Base().Iteration(), 14);
    EXPECT_EQ(iteration.Slider()->GetValue(), 14);
    EXPECT_EQ(iteration.Label()->GetLabel(), "Iteration: 14");
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 32767u);
    EXPECT_EQ(ToolEnabled(ID_UNDO), couldUndo);
    EXPECT_FALSE(frame->IsDesignModified());
    // Not cancelled, the same edit grows and shows its tree.
    PressCancel watching(false);
    wxEvtHandler::AddFilter(&watching);
    Drag(iteration.Slider(), 19);
    wxEvtHandler::RemoveFilter(&watching);
    Release(iteration.Slider());
    EXPECT_EQ(watching.title, "Growing the tree");
    EXPECT_EQ(Simple().Model().Base().Iteration(), 19);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), (1u << 20) - 1);
    EXPECT_TRUE(frame->IsDesignModified());
}

TEST_F(LongBuildTest, CancellingTheBuildOfAModeGoesBackToLines) {
    Cancelling([&] { Command(ID_MODE_FULL_3D); });
    Pump();
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    EXPECT_EQ(View().GetRenderMode(), 0);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 32767u);  // the design is as it was
}

TEST_F(LongBuildTest, SliderEventsThatComeDuringASlowEditAreAppliedOnceWithTheNewestValue) {
    View().SetProgressDelay(-1);
    Command(ID_MODE_FULL_3D);
    SliderRow::SetSlowEditMilliseconds(0);  // every edit counts as slow
    int divisionChanges = 0;
    frame->Design().AddObserver([&](const grovewright::DesignChange& change) {
        divisionChanges += change.parameter && change.parameter->index == grovewright::BaseSetup::kDivision;
    });
    wxSlider* division = Simple().Row("Division").Slider();
    Drag(division, 4);  // applied at once
    EXPECT_EQ(Simple().Model().Base().Division(), 4);
    for (int value : {5, 6, 7, 8}) Drag(division, value);  // queued behind the slow edit
    EXPECT_EQ(Simple().Model().Base().Division(), 4);
    Pump();
    EXPECT_EQ(Simple().Model().Base().Division(), 8);
    EXPECT_EQ(Simple().Row("Division").Label()->GetLabel(), "Division: 8");
    EXPECT_EQ(divisionChanges, 2);
    // Released while a move is still queued: the move is part of the drag's one step.
    Drag(division, 9);
    Release(division);
    EXPECT_EQ(Simple().Model().Base().Division(), 9);
    Pump();
    Command(ID_UNDO);
    EXPECT_EQ(Simple().Model().Base().Division(), 3);
    SliderRow::SetSlowEditMilliseconds(kNeverSlow);
}

TEST_F(LongBuildTest, KeyboardShortcutsWorkAtOnceAfterACancelledBuild) {
    View().SetProgressDelay(-1);
    Command(ID_MODE_FULL_3D);
    View().SetProgressDelay(0);
    // The user clicked the slider: it has the keyboard focus when the dialog opens.
    wxSlider* division = Simple().Row("Division").Slider();
    frame->Raise();
    division->SetFocus();
    for (int i = 0; i < 50 && wxWindow::FindFocus() != division; ++i) Pump(), wxMilliSleep(10);
    // The settings column is drawn again as soon as the dialog is gone, not seconds later.
    int paints = 0;
    wxWindow* column = division->GetParent();
    column->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
        ++paints;
        event.Skip();
    });
    int paintsWhenDone = -1;
    Cancelling([&] {
        Drag(division, 12);
        paintsWhenDone = paints;
    });
    EXPECT_GT(paintsWhenDone, 0);
    Release(division);
    // The focus is back where it was, and a real key press reaches the window.
    for (int i = 0; i < 20; ++i) Pump(), wxMilliSleep(10);
    EXPECT_EQ(wxWindow::FindFocus(), division);
    wxUIActionSimulator().Char(WXK_F1);
    for (int i = 0; i < 30; ++i) Pump(), wxMilliSleep(10);
    EXPECT_TRUE(Checked(ID_MODE_LINE));
}
