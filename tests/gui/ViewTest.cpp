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
    EXPECT_NE(view.GetTreeList(), 0u);  // lines
    EXPECT_EQ(view.GetStumpList(), 0u);
    Command(ID_MODE_FULL_3D);
    EXPECT_NE(view.GetTreeList(), 0u);
    EXPECT_NE(view.GetStumpList(), 0u);  // level 2 is cut
    EXPECT_EQ(view.GetTreeTriangles(), 7 * 2 * 5 + 4 * 5);
    EXPECT_EQ(view.GetLeafTriangles(), 0);
    EXPECT_NE(view.GetLeafList(), 0u);  // Full 3D generated the leaves: an empty list, no page is used
    // A camera drag keeps the lists.
    const GLuint tree = view.GetTreeList();
    view.Redraw(1);
    EXPECT_EQ(view.GetTreeList(), tree);
    view.DeleteDisplayLists();
    EXPECT_EQ(view.GetTreeList(), 0u);
    EXPECT_NE(view.GetStumpList(), 0u);  // the stump list stays
}
