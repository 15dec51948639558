// The Growth box of every generator page: rows that edit, undo and save like
// the others, a New seed button, and rows that show a loaded file's values.
#include <wx/filedlg.h>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"

using grovewright::GrowthSetup;

TEST_F(FrameTest, EveryGeneratorPageHasAGrowthBoxBelowTheBasicSettings) {
    for (AbstractGrovewright* page : frame->Generators()) {
        SCOPED_TRACE(page->GetName().ToStdString());
        page->SetSize(290, 900);
        page->SendSizeEvent();
        Pump();
        EXPECT_EQ(page->GrowthArea()->GetPosition().y,
                  page->BaseArea()->GetPosition().y + page->BaseArea()->GetSize().y);
        for (const char* name : {"Seed", "LengthVariation", "AngleVariation", "Gravity", "Bend"})
            EXPECT_EQ(page->Row(name).Label()->GetParent(), page->GrowthArea()) << name;
        EXPECT_EQ(page->Row("Gravity").Slider()->GetMin(), -100);
        EXPECT_EQ(page->Row("Bend").Label()->GetLabel(), "Bend: 1");
        // Visible in both modes: growth changes the skeleton in every one.
        page->SetMeshMode(true);
        EXPECT_TRUE(page->Row("Gravity").Label()->IsShown());
        page->SetMeshMode(false);
        EXPECT_TRUE(page->Row("Gravity").Label()->IsShown());
    }
}

TEST_F(FrameTest, GrowthRowsEditTheShownTreeAndUndoLikeTheOthers) {
    AbstractGrovewright& page = Simple();
    Drag(page.Row("Height").Slider(), 300);
    Drag(page.Row("HeightReduction").Slider(), 80);
    Drag(page.Row("Iteration").Slider(), 4);
    Release(page.Row("Iteration").Slider());
    const std::size_t segments = frame->Skeleton().SegmentCount();
    wxSlider* bend = page.Row("Bend").Slider();
    Drag(bend, 3);
    Release(bend);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 1 + (segments - 1) * 3);
    EXPECT_EQ(page.Row("Bend").Label()->GetLabel(), "Bend: 3");
    EXPECT_TRUE(page.IsModified());

    // Gravity bends the tips down.
    auto lowestTip = [&] {
        double lowest = 1e9;
        for (const auto& level : frame->Skeleton())
            for (const grovewright::BranchSegment& s : level) lowest = std::min(lowest, s.End().y);
        return lowest;
    };
    const double straight = lowestTip();
    Drag(page.Row("Gravity").Slider(), -80);
    Release(page.Row("Gravity").Slider());
    EXPECT_LT(lowestTip(), straight);

    Command(ID_UNDO);
    EXPECT_EQ(page.Row("Gravity").Slider()->GetValue(), 0);
    EXPECT_DOUBLE_EQ(lowestTip(), straight);
    Command(ID_UNDO);
    EXPECT_EQ(page.Row("Bend").Slider()->GetValue(), 1);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), segments);
}

TEST_F(FrameTest, NewSeedGrowsAnotherVariationInOneUndoStep) {
    AbstractGrovewright& page = Simple();
    Drag(page.Row("Height").Slider(), 300);
    Drag(page.Row("Iteration").Slider(), 5);
    Drag(page.Row("AngleVariation").Slider(), 30);
    Release(page.Row("AngleVariation").Slider());
    const auto tipOf = [&] { return frame->Skeleton()[5].back().End(); };
    const grovewright::Vector3D before = tipOf();
    const int seed = page.Row("Seed").Slider()->GetValue();
    wxCommandEvent click(wxEVT_BUTTON, page.NewSeedButton()->GetId());
    click.SetEventObject(page.NewSeedButton());
    page.NewSeedButton()->ProcessWindowEvent(click);
    const int next = page.Model().Growth().Seed();
    EXPECT_NE(next, seed);
    EXPECT_EQ(page.Row("Seed").Slider()->GetValue(), next);
    EXPECT_NE(grovewright::Distance(tipOf(), before), 0.0);
    Command(ID_UNDO);
    EXPECT_EQ(page.Model().Growth().Seed(), seed);
    EXPECT_EQ(grovewright::Distance(tipOf(), before), 0.0);
}

TEST_F(FrameTest, AProjectsGrowthValuesSaveAndLoadIntoTheRows) {
    grovewright::test::TempFolder folder;
    const wxString path = wxString::FromUTF8(folder.File("grown.xml"));
    AbstractGrovewright& page = Simple();
    Drag(page.Row("Gravity").Slider(), -45);
    Drag(page.Row("Seed").Slider(), 321);
    Release(page.Row("Seed").Slider());
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(path));
    const std::string saved = grovewright::test::ReadFileBytes(folder.File("grown.xml"));
    EXPECT_NE(saved.find("<Gravity>-45</Gravity>"), std::string::npos);
    EXPECT_NE(saved.find("<Seed>321</Seed>"), std::string::npos);

    Command(ID_NEW_PROJECT);
    EXPECT_EQ(page.Row("Gravity").Slider()->GetValue(), 0);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(path));
    EXPECT_EQ(page.Row("Gravity").Slider()->GetValue(), -45);
    EXPECT_EQ(page.Row("Gravity").Label()->GetLabel(), "Gravity: -45");
    EXPECT_EQ(page.Row("Seed").Slider()->GetValue(), 321);
    EXPECT_FALSE(page.IsModified());
}
