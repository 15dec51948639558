#include "GuiTestSupport.h"
#include "generators/gui/BranchGrovewright.h"
#include "generators/gui/LeafCreator.h"
#include "panels/BranchSetupPanel.h"
#include "panels/LeafSetupPanel.h"

using grovewright::BranchSetup;

namespace {

BranchGrovewright& Generator(MainFrame* frame, int index) {
    return *static_cast<BranchGrovewright*>(frame->Generators()[index]);
}

}  // namespace

TEST_F(FrameTest, BranchGeneratorsHaveTwentyPagesEach) {
    ASSERT_EQ(frame->Generators().size(), 3u);
    EXPECT_EQ(frame->TreeNotebook()->GetPageText(1), "RegularGrovewright");
    EXPECT_EQ(frame->TreeNotebook()->GetPageText(2), "ComplexGrovewright");
    for (int g : {1, 2}) {
        wxNotebook* pages = Generator(frame, g).CustomNotebook();
        ASSERT_EQ(pages->GetPageCount(), 20u);
        EXPECT_EQ(pages->GetPageText(0), "Branch 1");
        EXPECT_EQ(pages->GetPageText(19), "Branch 20");
    }
}

TEST_F(FrameTest, OnlyTruncGovernsTheTruncBranchesRowPerPage) {
    BranchGrovewright& complex = Generator(frame, 2);
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(complex.Page(i).Setup().Get(BranchSetup::kOnlyTrunc));
        EXPECT_FALSE(complex.Page(i).Row("TruncBranches").CheckBox()->IsEnabled());
        EXPECT_FALSE(complex.Page(i).Row("TruncBranches").Label()->IsEnabled());
    }
    Click(complex.Page(4).Row("OnlyTrunc").CheckBox());
    EXPECT_FALSE(complex.Page(4).Setup().Get(BranchSetup::kOnlyTrunc));
    EXPECT_TRUE(complex.Page(4).Row("TruncBranches").CheckBox()->IsEnabled());
    EXPECT_FALSE(complex.Page(3).Row("TruncBranches").CheckBox()->IsEnabled());
    EXPECT_TRUE(complex.IsModified());
    // A reset sets OnlyTrunc again and disables the row.
    complex.Reset();
    EXPECT_TRUE(complex.Page(4).Setup().Get(BranchSetup::kOnlyTrunc));
    EXPECT_FALSE(complex.Page(4).Row("TruncBranches").CheckBox()->IsEnabled());
    EXPECT_TRUE(complex.Page(4).Row("OnlyTrunc").CheckBox()->GetValue());
}

TEST_F(FrameTest, BranchRowsLabelAndValidate) {
    BranchSetupPanel& page = Generator(frame, 1).Page(0);
    Drag(page.Row("Height").Slider(), 250);
    EXPECT_EQ(page.Row("Height").Label()->GetLabel(), "Height: 2.50 m");
    EXPECT_EQ(page.Row("Diameter").Label()->GetLabel(), "Diameter: 0.01");
    page.Set(BranchSetup::kDiameter, 0);
    EXPECT_EQ(page.Setup().Get(BranchSetup::kDiameter), 1);
    page.Set(BranchSetup::kAddAngle, -180);
    EXPECT_EQ(page.Row("AddAngle").Label()->GetLabel(), "Add angle: -180");
    page.Set(BranchSetup::kAddAngle, -181);
    EXPECT_EQ(page.Setup().Get(BranchSetup::kAddAngle), -180);
    page.Set(BranchSetup::kRelativAdd, 5);
    EXPECT_EQ(page.Row("RelativAdd").Label()->GetLabel(), "Rel. add: 0.05");
}

TEST_F(FrameTest, MeshModeShowsThicknessRowsEnabledByUseBranch) {
    BranchSetupPanel& page = Generator(frame, 1).Page(2);
    EXPECT_TRUE(page.Row("Height").Label()->IsShown());
    EXPECT_TRUE(page.Row("UseBranch").CheckBox()->IsShown());
    EXPECT_FALSE(page.Row("Diameter").Slider()->IsShown());
    EXPECT_FALSE(page.Row("Cut").CheckBox()->IsShown());
    Command(ID_MODE_WIRE_FRAME);
    EXPECT_FALSE(page.Row("Height").Label()->IsShown());
    EXPECT_FALSE(page.Row("UseBranch").CheckBox()->IsShown());
    EXPECT_TRUE(page.Row("Diameter").Slider()->IsShown());
    EXPECT_FALSE(page.Row("Diameter").Slider()->IsEnabled());  // UseBranch is clear
    EXPECT_FALSE(page.Row("Cut").CheckBox()->IsEnabled());
    Command(ID_MODE_LINE);
    Click(page.Row("UseBranch").CheckBox());
    Command(ID_MODE_FULL_3D);
    EXPECT_TRUE(page.Row("Diameter").Slider()->IsEnabled());
    EXPECT_TRUE(page.Row("Cut").CheckBox()->IsEnabled());
    // Showing and hiding leave a disabled TruncBranches row disabled.
    EXPECT_FALSE(Generator(frame, 2).Page(0).Row("TruncBranches").CheckBox()->IsEnabled());
}

// Pages make their rows when first shown: a page made after edits and a mode
// change shows the values and rows of that moment, as if it had always been there.
TEST_F(FrameTest, APageMadeLateShowsTheDesignAndModeOfTheMoment) {
    BranchGrovewright& complex = Generator(frame, 2);
    BranchSetupPanel& late = complex.Page(5);
    ASSERT_FALSE(late.HasRows());
    late.Set(BranchSetup::kAddAngle, 40);
    late.SetFlag(BranchSetup::kOnlyTrunc, false);
    late.SetFlag(BranchSetup::kUseBranch, true);
    Command(ID_MODE_WIRE_FRAME);
    ASSERT_FALSE(late.HasRows());
    // Choosing its tab makes its rows before it shows.
    Command(ID_MODE_LINE);
    complex.CustomNotebook()->SetSelection(5);
    ASSERT_TRUE(late.HasRows());
    EXPECT_EQ(late.Row("AddAngle").Slider()->GetValue(), 40);
    EXPECT_TRUE(late.Row("TruncBranches").CheckBox()->IsEnabled());
    EXPECT_TRUE(late.Row("UseBranch").CheckBox()->GetValue());
    EXPECT_TRUE(late.Row("Height").Slider()->IsShown());
    // A page made in a mesh mode shows that mode's rows.
    BranchSetupPanel& meshLate = complex.Page(6);
    Command(ID_MODE_FULL_3D);
    EXPECT_FALSE(meshLate.HasRows());
    EXPECT_FALSE(meshLate.Row("Height").Slider()->IsShown());
    EXPECT_TRUE(meshLate.Row("Diameter").Slider()->IsShown());
    // The leaf pages too.
    LeafSetupPanel& leaf = Leaves().Page(7);
    leaf.Set(grovewright::LeafSetup::kAddAngle, 33);
    EXPECT_FALSE(leaf.HasRows());
    Leaves().Notebook()->SetSelection(7);
    EXPECT_EQ(leaf.Row("AddAngle").Slider()->GetValue(), 33);
}

TEST_F(FrameTest, BranchEditsRebuildAndMarkTheGenerator) {
    BranchGrovewright& regular = Generator(frame, 1);
    frame->TreeNotebook()->SetSelection(1);
    Pump();
    regular.SetIteration(1);
    regular.SetHeight(200);
    regular.ClearModified();
    BranchSetupPanel& page = regular.Page(0);
    Click(page.Row("UseBranch").CheckBox());
    EXPECT_EQ(frame->Skeleton().LevelCount(), 2u);
    EXPECT_EQ(frame->Skeleton()[1].size(), 1u);  // one branch on the trunk
    Drag(page.Row("AddAngle").Slider(), 40);
    EXPECT_NEAR(frame->Skeleton()[1].front().ObliqueAngle(), 40, 1e-9);
    EXPECT_TRUE(page.IsModified());
    EXPECT_TRUE(regular.IsModified());
    regular.ClearModified();
    EXPECT_FALSE(page.IsModified());
    Drag(regular.Page(6).Row("AddTo").Slider(), 3);
    EXPECT_TRUE(regular.IsModified());
    EXPECT_FALSE(Simple().IsModified());
}

TEST_F(FrameTest, APageScrolledDownInLineModeShowsItsRowsInFull3D) {
    frame->TreeNotebook()->SetSelection(2);
    Pump();
    BranchSetupPanel& page = Generator(frame, 2).Page(0);
    Generator(frame, 2).CustomNotebook()->SetSelection(0);
    Pump();
    // The wheel over the rows scrolls the page, to the flags at its bottom.
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = -120 * 20;
    wheel.m_wheelDelta = 120;
    wheel.m_linesPerAction = 3;
    page.Row("Height").Label()->GetParent()->ProcessWindowEvent(wheel);
    Pump();
    ASSERT_GT(page.GetViewStart().y, 0);
    Command(ID_MODE_FULL_3D);
    Pump();
    // The mesh rows (at the top of the page) are inside the page's visible area.
    const int height = page.GetClientSize().y;
    for (wxWindow* row : {static_cast<wxWindow*>(page.Row("Diameter").Slider()),
                          static_cast<wxWindow*>(page.Row("Cut").CheckBox())}) {
        const int y = row->GetScreenPosition().y - page.GetScreenPosition().y;
        EXPECT_GE(y, 0);
        EXPECT_LT(y + row->GetSize().y, height + 1) << "page height " << height;
    }
    // And back: every Line row can be reached again.
    Command(ID_MODE_LINE);
    Pump();
    EXPECT_EQ(page.GetViewStart().y, 0);
    page.Scroll(0, 1000);
    Pump();
    const wxWindow* last = page.Row("AngleChange").Slider();
    EXPECT_LT(last->GetScreenPosition().y - page.GetScreenPosition().y + last->GetSize().y, height + 1);
}

// Only the shown generator's controls are made with the window; another's are
// made when its tab is first chosen, showing the design and mode of that moment,
// and its modified state is the design's even before.
TEST_F(FrameTest, AGeneratorsControlsAreMadeWhenItsTabIsFirstChosen) {
    using grovewright::BaseSetup;
    using grovewright::ParameterId;
    EXPECT_TRUE(frame->Generators()[0]->HasControls());
    BranchGrovewright& regular = Generator(frame, 1);
    ASSERT_FALSE(regular.HasControls());
    ASSERT_FALSE(Generator(frame, 2).HasControls());

    frame->Design().Apply(ParameterId::Base(1, BaseSetup::kDiameter), 80);
    frame->Design().Apply(ParameterId::Branch(1, 3, BranchSetup::kAddAngle), 40);
    Command(ID_MODE_WIRE_FRAME);
    EXPECT_TRUE(regular.IsModified());
    regular.ClearModified();
    EXPECT_FALSE(regular.IsModified());
    frame->Design().Apply(ParameterId::Branch(1, 19, BranchSetup::kAddAngle), 41);
    EXPECT_TRUE(regular.IsModified()) << "an edit of the last branch page";
    ASSERT_FALSE(regular.HasControls());

    frame->TreeNotebook()->SetSelection(1);
    Pump();
    ASSERT_TRUE(regular.HasControls());
    EXPECT_EQ(regular.Row("Diameter").Slider()->GetValue(), 80);
    EXPECT_TRUE(regular.Row("Diameter").Slider()->IsShown());
    EXPECT_FALSE(regular.Row("Height").Slider()->IsShown());
    EXPECT_EQ(regular.CustomNotebook()->GetPageCount(), 20u);
    regular.CustomNotebook()->SetSelection(3);
    EXPECT_EQ(regular.Page(3).Row("AddAngle").Slider()->GetValue(), 40);
    // Laid out in the page it fills, with the growth box below the basic settings.
    EXPECT_EQ(regular.GrowthArea()->GetPosition().y,
              regular.BaseArea()->GetPosition().y + regular.BaseArea()->GetSize().y);
    EXPECT_GT(regular.BaseArea()->GetSize().y, 100);
    EXPECT_FALSE(Generator(frame, 2).HasControls());
}
