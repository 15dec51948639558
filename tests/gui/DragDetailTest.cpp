// A lighter drawing while a slider moves, the whole design the moment it stops.
#include <wx/filedlg.h>

#include <cstdio>
#include <cstring>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "generators/ExampleTrees.h"
#include "io/RecoveryFile.h"

class DragTest : public FrameTest {
protected:
    // The sapling example grown to Iteration 10 (about 145,000 triangles: a
    // lighter level keeps at least 20,000) in Full 3D, lighter drawing on, with
    // a budget no frame fits: once a frame was measured, every drag step is lighter.
    void ShowSapling() {
        for (int i = 0; i < grovewright::kExampleTreeCount; ++i)
            if (std::strcmp(grovewright::ExampleTreeAt(i).name, "sapling") == 0) Command(ID_EXAMPLE_FIRST + i);
        Command(ID_MODE_FULL_3D);
        Drag(Simple().Row("Iteration").Slider(), 10);
        Release(Simple().Row("Iteration").Slider());
        View().SetLighterWhileDragging(true);
        View().DragFrames().SetBudgets(1, 1);
        Pump();
    }
};

TEST_F(DragTest, ADragDrawsLighterAndTheReleaseDrawsWhatALoadDraws) {
    ShowSapling();
    GrovewrightDrawPanelGL& view = View();
    wxSlider* height = Simple().Row("Height").Slider();
    const int start = height->GetValue();
    // Grown whole (and measured) before the drag; every step of the drag is lighter.
    EXPECT_EQ(view.ShownDetail(), 1.0);
    const int full = view.GetTreeTriangles() + view.GetLeafTriangles();
    for (int step = 1; step <= 4; ++step) {
        Drag(height, start + 10 * step);
        EXPECT_LT(view.ShownDetail(), 1.0) << step;
        EXPECT_LT(view.GetTreeTriangles() + view.GetLeafTriangles(), full) << step;
    }
    // Only the picture was lighter: the design has every step's value.
    EXPECT_EQ(frame->Design().Generator(0).Base().Height(), start + 40);
    Release(height);
    EXPECT_EQ(view.ShownDetail(), 1.0);
    EXPECT_EQ(view.GetTreeTriangles() + view.GetLeafTriangles(), full);
    const grovewright::PixelImage released = view.ReadPixels();

    // The same design saved and loaded afresh looks exactly so.
    grovewright::test::TempFolder folder;
    const wxString path = wxString::FromUTF8(folder.File("dragged.simple.xml"));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(path));
    Command(ID_NEW_PROJECT);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(path));
    Command(ID_MODE_FULL_3D);
    Pump();
    const grovewright::PixelImage loaded = view.ReadPixels();
    ASSERT_EQ(loaded.width, released.width);
    EXPECT_TRUE(loaded.pixels == released.pixels);
    // One undo step for the whole drag.
    Command(ID_UNDO);
}

TEST_F(DragTest, KeyStepsAreLighterUntilTheyRestAndSmallDesignsAreAlwaysWhole) {
    ShowSapling();
    GrovewrightDrawPanelGL& view = View();
    wxSlider* height = Simple().Row("Height").Slider();
    auto keyStep = [&](int value) {
        height->SetValue(value);
        wxScrollEvent event(wxEVT_SCROLL_LINEUP, height->GetId(), value, wxHORIZONTAL);
        event.SetEventObject(height);
        height->ProcessWindowEvent(event);
    };
    const int start = height->GetValue();
    keyStep(start + 1);
    keyStep(start + 2);
    EXPECT_LT(view.ShownDetail(), 1.0);
    // No edit for a moment: the whole design, without any event from the slider.
    wxStopWatch rest;
    while (rest.Time() < 3 * GrovewrightDrawPanelGL::kDragPauseMilliseconds && view.ShownDetail() < 1.0) {
        wxMilliSleep(10);
        Pump();
    }
    EXPECT_EQ(view.ShownDetail(), 1.0);
    EXPECT_GE(rest.Time(), GrovewrightDrawPanelGL::kDragPauseMilliseconds - 20);

    // A design that fits the budget is drawn whole at every step; so is every
    // design with the option off.
    view.DragFrames().SetBudgets(1e9, 1e9);
    for (int step = 1; step <= 3; ++step) {
        Drag(height, start + 5 * step);
        EXPECT_EQ(view.ShownDetail(), 1.0);
    }
    view.DragFrames().SetBudgets(1, 1);
    Command(ID_LIGHTER_DRAG);
    EXPECT_FALSE(view.LighterWhileDragging());
    for (int step = 1; step <= 3; ++step) {
        Drag(height, start + 7 * step);
        EXPECT_EQ(view.ShownDetail(), 1.0);
    }
    Release(height);
}

TEST_F(DragTest, TheLighterDrawingOptionIsRememberedAcrossRuns) {
    const std::string settings = grovewright::SettingsFilePath();
    ASSERT_FALSE(settings.empty());
    // A new window takes what the last one chose.
    auto lighterInANewWindow = [] {
        auto* window = new MainFrame(nullptr, wxEmptyString);
        const bool on = window->DrawPanel().LighterWhileDragging();
        window->Destroy();
        return on;
    };
    std::remove(settings.c_str());  // as on a first run (an earlier test may have chosen)
    EXPECT_TRUE(lighterInANewWindow());  // on by default
    View().SetLighterWhileDragging(true);
    Command(ID_LIGHTER_DRAG);  // off, and written down
    EXPECT_FALSE(View().LighterWhileDragging());
    EXPECT_NE(grovewright::test::ReadFileBytes(settings).find("LighterWhileDragging=0"), std::string::npos);
    EXPECT_FALSE(lighterInANewWindow());
    Command(ID_LIGHTER_DRAG);  // on again
    EXPECT_TRUE(View().LighterWhileDragging());
    EXPECT_TRUE(lighterInANewWindow());
    Pump();
}
