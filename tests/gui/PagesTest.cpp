#include "GuiTestSupport.h"
#include "generators/gui/BranchGrovewright.h"
#include "panels/BranchSetupPanel.h"

TEST_F(FrameTest, SettersRespectRangesAndWriteTheLabels) {
    AbstractGrovewright& page = Simple();
    page.SetHeight(250);
    EXPECT_EQ(page.Row("Height").Label()->GetLabel(), "Height: 2.50 m");
    EXPECT_EQ(page.Row("Height").Slider()->GetValue(), 250);
    page.SetHeightReduction(75);
    EXPECT_EQ(page.Row("HeightReduction").Label()->GetLabel(), "Heightred.: 0.75");
    page.SetDiameterReduction(1);
    EXPECT_EQ(page.Row("DiameterReduction").Label()->GetLabel(), "DiameterRed.: 0.01");
    page.SetDiameter(150);
    EXPECT_EQ(page.Row("Diameter").Label()->GetLabel(), "Diameter: 1.50 m");
    page.SetIteration(7);
    EXPECT_EQ(page.Row("Iteration").Label()->GetLabel(), "Iteration: 7");

    page.SetDivision(2);
    page.SetDiameter(0);
    page.SetIteration(21);
    page.SetObliqueAngle(91);
    EXPECT_EQ(page.Model().Base().Division(), 3);
    EXPECT_EQ(page.Row("Division").Label()->GetLabel(), "Division: 3");
    EXPECT_EQ(page.Model().Base().Diameter(), 150);
    EXPECT_EQ(page.Row("Iteration").Slider()->GetValue(), 7);
    EXPECT_EQ(page.Model().Base().ObliqueAngle(), 0);

    // The angles go to the view at once.
    page.SetObliqueAngle(30);
    page.SetOrientationAngle(200);
    EXPECT_EQ(View().TreeValues().ObliqueAngle(), 30);
    EXPECT_EQ(View().TreeValues().OrientationAngle(), 200);

    Simple().SetBalance(75);
    EXPECT_EQ(Simple().CustomRow("Balance").Label()->GetLabel(), "Balance: 0.75");
    Simple().SetSpreadAngle(181);
    EXPECT_EQ(Simple().CustomRow("Spread").Label()->GetLabel(), "Spread: 45");
    // Code never marks the design modified.
    EXPECT_FALSE(page.IsModified());
}

TEST_F(FrameTest, MeshModeSwapsTheRows) {
    AbstractGrovewright& page = Simple();
    auto shown = [&](const char* name) { return page.Row(name).Label()->IsShown(); };
    auto customShown = [&](const char* name) { return Simple().CustomRow(name).Label()->IsShown(); };
    for (const char* name : {"Iteration", "Height", "HeightReduction", "ExtendTo", "ObliqueAngle", "OrientationAngle"})
        EXPECT_TRUE(shown(name)) << name;
    for (const char* name : {"Diameter", "DiameterReduction", "Division", "Cut"}) EXPECT_FALSE(shown(name)) << name;
    EXPECT_TRUE(customShown("Balance"));
    EXPECT_FALSE(customShown("Cut"));
    EXPECT_FALSE(Simple().CustomRow("Cut").CheckBox()->IsShown());
    page.SetMeshMode(true);
    for (const char* name : {"Iteration", "Height", "HeightReduction", "ExtendTo"}) EXPECT_FALSE(shown(name)) << name;
    for (const char* name : {"Diameter", "DiameterReduction", "Division", "Cut", "ObliqueAngle", "OrientationAngle"})
        EXPECT_TRUE(shown(name)) << name;
    EXPECT_TRUE(page.Row("Cut").CheckBox()->IsShown());
    EXPECT_FALSE(customShown("Twist"));
    EXPECT_TRUE(customShown("DiameterBalanceDep"));
}

TEST_F(FrameTest, UserEditsRebuildRedrawAndMarkModified) {
    AbstractGrovewright& page = Simple();
    Drag(page.Row("Height").Slider(), 300);
    EXPECT_TRUE(page.IsModified());
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 1u);
    Drag(page.Row("Iteration").Slider(), 3);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 15u);
    EXPECT_EQ(page.Row("Iteration").Label()->GetLabel(), "Iteration: 3");
    page.ClearModified();

    // Division changes the mesh only: no rebuild, but the view gets it.
    Drag(page.Row("Division").Slider(), 9);
    EXPECT_EQ(View().TreeValues().Division(), 9);
    EXPECT_TRUE(page.IsModified());
    page.ClearModified();

    // The Cut check box toggles the trunk cap.
    Click(page.Row("Cut").CheckBox());
    EXPECT_TRUE(page.Model().Base().Cut());
    EXPECT_TRUE(frame->Skeleton()[0].front().IsCut());
    page.ClearModified();

    // Light controls change the picture, not the design.
    Drag(page.AmbientSlider(), 0);
    EXPECT_EQ(View().GetAmbient(), 0.0f);
    Drag(page.DiffuseSlider(), 40);
    EXPECT_FLOAT_EQ(View().GetDiffuse(), 0.4f);
    Drag(page.LightPositionSlider(), 0);
    float x, y, z;
    View().GetLightPosition(x, y, z);
    EXPECT_FLOAT_EQ(x, 100);
    EXPECT_NEAR(y, 0, 1e-4);
    EXPECT_FLOAT_EQ(z, -20);
    Drag(page.LightPositionSlider(), 180);
    View().GetLightPosition(x, y, z);
    EXPECT_FLOAT_EQ(x, -100);
    EXPECT_FALSE(page.IsModified());

    // A custom-page edit rebuilds too.
    Drag(Simple().CustomRow("Spread").Slider(), 90);
    EXPECT_TRUE(page.IsModified());
    EXPECT_NEAR(frame->Skeleton()[1].front().ObliqueAngle(), 45, 1e-9);
}

TEST_F(FrameTest, BaseAndGrowthAreasStayAtTheBottomOfThePage) {
    AbstractGrovewright& page = Simple();
    page.SetSize(290, 900);
    page.SendSizeEvent();
    Pump();
    wxWindow* column = page.BaseArea()->GetParent();
    const int height = column->GetClientSize().y;
    // The Growth box's six rows and New seed button (235), the Form box's eight
    // rows on the simple page (no crown rows) below it.
    const int kGrowth = 235 + 5 + 20 + 8 * 30 + 5;
    EXPECT_EQ(page.GrowthArea()->GetPosition().y, height - kGrowth);
    EXPECT_EQ(page.BaseArea()->GetPosition().y, height - kGrowth - 280);
    EXPECT_EQ(page.BaseArea()->GetSize().y, 280);
    EXPECT_EQ(page.CustomNotebook()->GetPosition(), wxPoint(5, 15));
    EXPECT_EQ(page.CustomNotebook()->GetSize().y, height - kGrowth - 300);
}

TEST_F(FrameTest, EveryRowHasATooltipThatExplainsIt) {
    // A base row, a simple row, a branch row and a leaf row: label and control alike.
    auto& regular = static_cast<BranchGrovewright&>(*frame->Generators()[1]);
    for (SliderRow* row : {&Simple().Row("Iteration"), &Simple().CustomRow("Balance"), &regular.Page(0).Row("AddAngle"),
                           &Leaves().Page(2).Row("UseLeaf")}) {
        const wxString help = wxString::FromUTF8(grovewright::TreeDesign::Describe(row->Id()).help);
        ASSERT_FALSE(help.empty());
        EXPECT_EQ(row->Label()->GetToolTipText(), help);
        wxWindow* control = row->Slider() ? static_cast<wxWindow*>(row->Slider()) : row->CheckBox();
        EXPECT_EQ(control->GetToolTipText(), help);
    }
    EXPECT_NE(Simple().Row("Iteration").Label()->GetToolTipText().Find("0 to 20"), wxNOT_FOUND);
}
