// The Form box below the Growth box and the form rows of the branch pages:
// they edit the shown tree, undo, save and load like every other row.
#include <wx/filedlg.h>

#include <stdexcept>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "generators/TrunkFoot.h"
#include "generators/gui/BranchGrovewright.h"
#include "panels/BranchSetupPanel.h"

using grovewright::BranchSetup;
using grovewright::GrowthSetup;

TEST_F(FrameTest, TheFormBoxShowsTheCrownOnlyWhereThereIsOne) {
    for (AbstractGrovewright* page : frame->Generators()) {
        const bool simple = page == frame->Generators().front();
        SCOPED_TRACE(page->GetName().ToStdString());
        for (const char* name : {"Pruning", "FlareWidth", "FlareHeight", "Roots", "RootLength", "RootDepth", "RootRise",
                                 "SmoothBends"})
            EXPECT_EQ(page->Row(name).Label()->GetParent(), page->GrowthArea()) << name;
        if (simple) {
            EXPECT_THROW(page->Row("CrownShape"), std::out_of_range);
        } else {
            EXPECT_EQ(page->Row("CrownShape").Slider()->GetMax(), GrowthSetup::kCrownCount - 1);
            EXPECT_EQ(page->Row("CrownWidth").Label()->GetParent(), page->GrowthArea());
        }
        EXPECT_EQ(page->Row("RootLength").Label()->GetLabel(), "Root length: 3.00 m");
    }
}

// The window with the regular page shown, a trunk of 3 m and the first branch page in use.
class RegularPageTest : public FrameTest {
protected:
    BranchGrovewright& RegularTrunkWithAPage() {
        auto& regular = *static_cast<BranchGrovewright*>(frame->Generators()[1]);
        frame->TreeNotebook()->SetSelection(1);
        Pump();
        regular.SetIteration(1);
        regular.SetHeight(300);
        Click(regular.Page(0).Row("UseBranch").CheckBox());
        return regular;
    }
};

TEST_F(RegularPageTest, FormRowsEditUndoSaveAndLoad) {
    BranchGrovewright& regular = RegularTrunkWithAPage();
    BranchSetupPanel& page = regular.Page(0);
    Drag(page.Row("RelativAdd").Slider(), 20);
    ASSERT_EQ(frame->Skeleton()[1].size(), 1u);

    // Eight laterals along the trunk, then roots; each one undo step.
    Drag(page.Row("Laterals").Slider(), 8);
    Release(page.Row("Laterals").Slider());
    EXPECT_EQ(frame->Skeleton()[1].size(), 8u);
    EXPECT_EQ(page.Row("Laterals").Label()->GetLabel(), "Laterals: 8");
    Drag(page.Row("AngleChange").Slider(), -30);
    Release(page.Row("AngleChange").Slider());
    Drag(regular.Row("Roots").Slider(), 5);
    Release(regular.Row("Roots").Slider());
    EXPECT_EQ(frame->Skeleton().Roots().size(), 5u * grovewright::kRootPieces);
    Drag(regular.Row("FlareWidth").Slider(), 80);
    Release(regular.Row("FlareWidth").Slider());
    EXPECT_EQ(frame->Skeleton()[0].size(), static_cast<std::size_t>(grovewright::kFlarePieces + 1));
    Command(ID_UNDO);
    EXPECT_EQ(frame->Skeleton()[0].size(), 1u);
    Command(ID_UNDO);
    EXPECT_EQ(regular.Row("Roots").Slider()->GetValue(), 0);
    EXPECT_EQ(frame->Skeleton().Roots().size(), 0u);
    Command(ID_REDO);
    Command(ID_REDO);

    grovewright::test::TempFolder folder;
    const wxString path = wxString::FromUTF8(folder.File("formed.regular.xml"));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(path));
    const std::string saved = grovewright::test::ReadFileBytes(folder.File("formed.regular.xml"));
    EXPECT_NE(saved.find("<Form1>\n            <Laterals>8</Laterals>"), std::string::npos);
    EXPECT_NE(saved.find("<AngleChange>-30</AngleChange>"), std::string::npos);
    EXPECT_NE(saved.find("<Roots>5</Roots>"), std::string::npos);
    EXPECT_NE(saved.find("<FlareWidth>80</FlareWidth>"), std::string::npos);

    Command(ID_NEW_PROJECT);
    EXPECT_EQ(page.Row("Laterals").Slider()->GetValue(), 1);
    EXPECT_EQ(frame->Skeleton().Roots().size(), 0u);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(path));
    EXPECT_EQ(page.Row("Laterals").Slider()->GetValue(), 8);
    EXPECT_EQ(page.Row("AngleChange").Label()->GetLabel(), "Angle change: -30");
    EXPECT_EQ(regular.Row("Roots").Slider()->GetValue(), 5);
    EXPECT_EQ(regular.Row("FlareWidth").Slider()->GetValue(), 80);
    EXPECT_EQ(frame->Skeleton()[1].size(), 8u);
    EXPECT_FALSE(regular.IsModified());
}

TEST_F(RegularPageTest, TheCrownGrowthBoxFillsTheCrownUndoesSavesAndLoads) {
    EXPECT_THROW(frame->Generators()[0]->Row("CrownPoints"), std::out_of_range);
    BranchGrovewright& regular = RegularTrunkWithAPage();
    BranchSetupPanel& page = regular.Page(0);
    Drag(page.Row("AddAngle").Slider(), 50);
    Drag(page.Row("Laterals").Slider(), 6);
    Release(page.Row("Laterals").Slider());
    ASSERT_EQ(frame->Skeleton().LevelCount(), 2u);

    // Every row of the box: in the growth area, with its unit and range in its tooltip.
    for (const char* name : {"CrownPoints", "CrownReach", "CrownStep", "CrownKill", "CrownLight", "CrownFrom",
                             "CrownLevels", "PipeRule", "PipeExponent"}) {
        SliderRow& row = regular.Row(name);
        EXPECT_EQ(row.Label()->GetParent(), regular.GrowthArea()) << name;
        const wxString help = row.Label()->GetToolTipText();
        EXPECT_TRUE(help.Find("Crown growth") == 0 || help.Find("pipe rule") != wxNOT_FOUND) << name;
        EXPECT_TRUE(help.Find(" to ") != wxNOT_FOUND || row.CheckBox()) << name;
    }
    EXPECT_NE(regular.Row("CrownReach").Label()->GetToolTipText().Find("metres (0.10 to 10.00 m)"), wxNOT_FOUND);
    EXPECT_EQ(regular.Row("CrownReach").Label()->GetLabel(), "Reach: 1.50 m");

    Drag(regular.Row("CrownPoints").Slider(), 800);
    Release(regular.Row("CrownPoints").Slider());
    EXPECT_EQ(regular.Row("CrownPoints").Label()->GetLabel(), "Crown points: 800");
    const std::size_t levels = frame->Skeleton().LevelCount();
    EXPECT_EQ(levels, 2u + 3u);
    EXPECT_GT(frame->Skeleton()[2].size(), 10u);
    Drag(regular.Row("CrownLevels").Slider(), 2);
    Release(regular.Row("CrownLevels").Slider());
    EXPECT_EQ(frame->Skeleton().LevelCount(), 2u + 2u);
    Command(ID_UNDO);
    EXPECT_EQ(frame->Skeleton().LevelCount(), 2u + 3u);
    Command(ID_UNDO);
    EXPECT_EQ(regular.Row("CrownPoints").Slider()->GetValue(), 0);
    EXPECT_EQ(frame->Skeleton().LevelCount(), 2u);
    Command(ID_REDO);

    grovewright::test::TempFolder folder;
    const wxString path = wxString::FromUTF8(folder.File("crowned.regular.xml"));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(path));
    EXPECT_NE(grovewright::test::ReadFileBytes(folder.File("crowned.regular.xml")).find("<CrownPoints>800</CrownPoints>"),
              std::string::npos);
    Command(ID_NEW_PROJECT);
    EXPECT_EQ(regular.Row("CrownPoints").Slider()->GetValue(), 0);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(path));
    EXPECT_EQ(regular.Row("CrownPoints").Slider()->GetValue(), 800);
    EXPECT_EQ(frame->Skeleton().LevelCount(), levels);
    EXPECT_FALSE(regular.IsModified());
}
