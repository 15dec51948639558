// The example projects load in the program, grow with their own generator and
// carry leaves.
#include <wx/filedlg.h>

#include <cctype>
#include <set>
#include <string>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "generators/ExampleTrees.h"

namespace {

struct Example {
    const char* file;
    int tab;
    std::size_t minimumSegments;
    int minimumLevels;
};

}  // namespace

class ExampleTest : public FrameTest, public testing::WithParamInterface<Example> {};

TEST_P(ExampleTest, LoadsAndGrowsWithItsGenerator) {
    const Example& example = GetParam();
    const wxString path = wxString(GROVEWRIGHT_EXAMPLES) + "/" + example.file;
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(path));
    frame->TreeNotebook()->SetSelection(example.tab);  // the page change rebuilds with that generator
    Pump();
    Command(ID_MODE_FULL_3D);
    Command(ID_LIGHT_ON);
    EXPECT_GE(frame->Skeleton().SegmentCount(), example.minimumSegments);
    EXPECT_GE(static_cast<int>(frame->Skeleton().LevelCount()), example.minimumLevels);
    EXPECT_GT(View().GetLeafTriangles(), 0);
    EXPECT_GT(View().GetTreeTriangles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Projects, ExampleTest,
                         testing::Values(Example{"fractal-tree.xml", 0, 1023, 10},
                                         Example{"broadleaf-tree.xml", 1, 40, 8},
                                         Example{"conifer.xml", 2, 200, 12},
                                         // The species gallery: the tab its name says, its whole tree.
                                         Example{"oak.regular.xml", 1, 806, 15},
                                         Example{"birch.complex.xml", 2, 299, 16},
                                         Example{"spruce.complex.xml", 2, 1057, 21},
                                         Example{"pine.complex.xml", 2, 295, 9},
                                         Example{"willow.regular.xml", 1, 506, 20},
                                         Example{"palm.complex.xml", 2, 21, 21},
                                         Example{"shrub.regular.xml", 1, 73, 18},
                                         Example{"sapling.simple.xml", 0, 127, 7}),
                         [](const testing::TestParamInfo<Example>& info) {
                             // "broadleaf-tree.xml": "broadleaftree"
                             std::string name;
                             for (const char* c = info.param.file; *c != '.'; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

TEST_F(FrameTest, FileExamplesShowsAnExampleAsANewDesignOnItsTabInFull3D) {
    // Twelve species by name; the last, the acacia, grows on the regular tab with its willow-like bark.
    const wxMenuItem* first = frame->GetMenuBar()->FindItem(ID_EXAMPLE_FIRST);
    ASSERT_NE(first, nullptr);
    const wxMenu* examples = first->GetMenu();
    ASSERT_EQ(examples->GetMenuItemCount(), 12u);
    EXPECT_EQ(examples->FindItemByPosition(0)->GetItemLabelText(), "Oak");
    EXPECT_EQ(examples->FindItemByPosition(11)->GetItemLabelText(), "Acacia");
    // One key each: no two species share the letter after their '&'.
    std::set<wxUniChar> keys;
    for (std::size_t i = 0; i < examples->GetMenuItemCount(); ++i) {
        const wxString label = examples->FindItemByPosition(i)->GetItemLabel();
        const int amp = label.Find('&');
        ASSERT_NE(amp, wxNOT_FOUND) << label;
        EXPECT_TRUE(keys.insert(wxTolower(label[static_cast<std::size_t>(amp) + 1])).second) << label;
    }
    Command(ID_EXAMPLE_FIRST + 11);
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 1);
    EXPECT_TRUE(Checked(ID_PAINTED_BARK_FIRST + grovewright::PaintedTextures::kWillowBark));
    EXPECT_EQ(frame->Generators()[1]->Model().Growth().CrownShape(), grovewright::GrowthSetup::kUmbrella);

    Command(ID_EXAMPLE_FIRST);  // oak
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 1);
    EXPECT_EQ(frame->Design().ActiveGenerator(), 1);
    EXPECT_TRUE(Checked(ID_MODE_FULL_3D));
    EXPECT_EQ(frame->GetTitle(), MainFrame::kTitle);
    EXPECT_TRUE(frame->CurrentFileName().empty());
    EXPECT_FALSE(frame->IsDesignModified());
    Pump();
    EXPECT_EQ(View().GetTreeTriangles(), 36568);
    EXPECT_EQ(View().GetLeafTriangles(), 31000);
    // The oak's painted bark and twigs.
    EXPECT_TRUE(Checked(ID_PAINTED_BARK_FIRST + grovewright::PaintedTextures::kOakBark));
    EXPECT_TRUE(Checked(ID_PAINTED_LEAVES_FIRST + grovewright::PaintedTextures::kOakTwig));
    EXPECT_FALSE(Checked(ID_LEAVES_1));
    // Spruce: the complex tab and the painted needle sprays.
    Command(ID_EXAMPLE_FIRST + 2);
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 2);
    EXPECT_TRUE(Checked(ID_PAINTED_LEAVES_FIRST + grovewright::PaintedTextures::kSpruceSpray));
    EXPECT_FALSE(Checked(ID_LEAVES_1));
    Pump();
    EXPECT_EQ(View().GetTreeTriangles(), 40408);
    // An edit, then another example: asked first; Cancel keeps the design.
    Drag(frame->Generators()[2]->Row("Height").Slider(), 300);
    wxTEST_DIALOG(Command(ID_EXAMPLE_FIRST + 1), wxExpectModal<wxMessageDialog>(wxCANCEL));
    EXPECT_EQ(frame->Generators()[2]->Model().Base().Height(), 300);
    // Undo goes back to the spruce as it came, and then to the oak on its tab.
    Command(ID_UNDO);
    EXPECT_FALSE(frame->IsDesignModified());
    Command(ID_UNDO);
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 1);
    EXPECT_EQ(frame->Design().ActiveGenerator(), 1);
}

TEST_F(FrameTest, TheFirstStartShowsAHintInTheEmptyViewUntilTheFirstEdit) {
    // The top left corner of the view, where the hint is written.
    auto darkPixels = [&] {
        const grovewright::PixelImage shown = View().ReadPixels();
        int dark = 0;
        for (int row = shown.height - 40; row < shown.height; ++row)
            for (int column = 0; column < 240; ++column)
                dark += shown.At(row, column)[0] < 128;
        return dark;
    };
    EXPECT_EQ(darkPixels(), 0);
    frame->StartUp();  // no recovery file: nothing to ask
    EXPECT_GT(darkPixels(), 200);
    Drag(Simple().Row("Height").Slider(), 100);
    EXPECT_EQ(darkPixels(), 0);
}

TEST_F(FrameTest, ASimpleDesignIsShownOnTheSimpleTabHoweverItComes) {
    // From the oak's regular tab to the sapling, a simple design: its own tab, its tree.
    Command(ID_EXAMPLE_FIRST);
    Command(ID_EXAMPLE_FIRST + 7);
    Pump();
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 0);
    EXPECT_EQ(frame->Design().ActiveGenerator(), 0);
    EXPECT_EQ(View().GetTreeTriangles(), 3904);
    // A simple design saved by the program and opened while the regular tab is shown.
    grovewright::test::TempFolder folder;
    const wxString saved = folder.File("simple.xml");
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(saved));
    frame->TreeNotebook()->SetSelection(1);
    Pump();
    ASSERT_EQ(frame->Design().ActiveGenerator(), 1);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(saved));
    Pump();
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 0);
    EXPECT_EQ(View().GetTreeTriangles(), 3904);
}

TEST_F(FrameTest, AnExampleFileOpenedShowsTheTreeFileExamplesShows) {
    namespace Painted = grovewright::PaintedTextures;
    const std::pair<int, int> textures[] = {{Painted::kBirchTwig, Painted::kBirchBark},
                                            {Painted::kSpruceSpray, Painted::kOakBark},
                                            {Painted::kPineSpray, Painted::kPineBark}};
    for (int example : {1, 2, 3}) {  // birch, spruce, pine
        const grovewright::ExampleTree& tree = grovewright::ExampleTreeAt(example);
        SCOPED_TRACE(tree.name);
        auto shown = [&] {
            EXPECT_TRUE(Checked(ID_PAINTED_LEAVES_FIRST + textures[example - 1].first));
            EXPECT_TRUE(Checked(ID_PAINTED_BARK_FIRST + textures[example - 1].second));
        };
        Command(ID_EXAMPLE_FIRST + example);
        shown();
        wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(wxString(GROVEWRIGHT_EXAMPLES) + "/" + tree.fileName));
        shown();
    }
}
