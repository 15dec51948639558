#include <glib.h>
#include <wx/filedlg.h>
#include <wx/scrolwin.h>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"

using grovewright::LeafSetup;

TEST_F(FrameTest, LeafPanelHoldsTwentyPagesBehindTheCreatorSwitch) {
    EXPECT_EQ(Leaves().Notebook()->GetPageCount(), 20u);
    EXPECT_EQ(Leaves().Notebook()->GetPageText(0), "Leaf 1");
    EXPECT_EQ(Leaves().Notebook()->GetPageText(19), "Leaf 20");
    EXPECT_FALSE(Leaves().IsShown());
    EXPECT_TRUE(frame->TreeNotebook()->IsShown());

    Command(ID_MODE_FULL_3D);
    Command(ID_CREATOR_LEAVES);
    EXPECT_TRUE(Leaves().IsShown());
    EXPECT_TRUE(Leaves().IsEnabled());
    EXPECT_FALSE(frame->TreeNotebook()->IsShown());
    EXPECT_TRUE(Checked(ID_CREATOR_LEAVES));
    EXPECT_FALSE(Checked(ID_CREATOR_TREES));
    EXPECT_FALSE(Enabled(ID_MODE));
    EXPECT_FALSE(ToolEnabled(ID_MODE_LINE));
    EXPECT_EQ(View().GetRenderMode(), 2);
    // The panel fills the side column: box over all of it, notebook inside.
    EXPECT_EQ(Leaves().GetSize(), frame->SidePanel()->GetClientSize());
    EXPECT_EQ(Leaves().Notebook()->GetPosition(), wxPoint(5, 15));

    Command(ID_CREATOR_TREES);
    EXPECT_TRUE(frame->TreeNotebook()->IsShown());
    EXPECT_FALSE(Leaves().IsShown());
    EXPECT_TRUE(Enabled(ID_MODE));
    EXPECT_TRUE(ToolEnabled(ID_MODE_WIRE_FRAME));

    // A reset from the leaf side returns to Line mode and the tree side.
    Command(ID_CREATOR_LEAVES);
    Command(ID_RESET_CURRENT_TREE);
    EXPECT_TRUE(frame->TreeNotebook()->IsShown());
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    EXPECT_FALSE(Enabled(ID_EXPORT_DXF));
}

// The foliage rows and the painted textures are edits like any other: they
// regrow the leaves, undo, and come back with the project.
TEST_F(FrameTest, ScrollingALeafPageMakesTheToolkitComplainOfNothing) {
    // GTK complains of every hidden widget a scroll moves: the check boxes' empty labels were.
    int complaints = 0;
    const guint handler = g_log_set_handler(
        "Gtk", static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer count) { ++*static_cast<int*>(count); }, &complaints);
    Command(ID_MODE_FULL_3D);
    Command(ID_CREATOR_LEAVES);
    Pump();
    auto* page = static_cast<wxScrolledWindow*>(Leaves().Notebook()->GetPage(0));
    for (int step = 1; step <= 12; ++step) {
        page->Scroll(0, step * 3);
        Pump();
    }
    g_log_remove_handler("Gtk", handler);
    EXPECT_GT(page->GetViewStart().y, 0);
    EXPECT_EQ(complaints, 0);
}

TEST_F(FrameTest, FoliageRowsAndPaintedTexturesGoThroughEditUndoSaveAndLoad) {
    namespace Painted = grovewright::PaintedTextures;
    grovewright::test::TempFolder folder;
    Simple().SetHeight(200);
    Simple().SetIteration(2);
    Simple().Rebuild();
    Command(ID_MODE_FULL_3D);
    LeafSetupPanel& page = Leaves().Page(0);
    // The page scrolls down to its last row.
    const wxWindow* last = page.Row("AboveGround").CheckBox();
    EXPECT_GE(page.GetVirtualSize().y, last->GetPosition().y + last->GetSize().y);
    Click(page.Row("UseLeaf").CheckBox());
    ASSERT_EQ(frame->LeafStore()[0].size(), 4u);
    Drag(page.Row("ShootLeaves").Slider(), 5);
    EXPECT_EQ(page.Row("ShootLeaves").Label()->GetLabel(), "Leaves/shoot: 5");
    EXPECT_EQ(frame->LeafStore()[0].size(), 20u);
    EXPECT_FALSE(frame->LeafStore()[0].Tinted());
    Drag(page.Row("LightnessVariation").Slider(), 30);
    EXPECT_TRUE(frame->LeafStore()[0].Tinted());
    Click(page.Row("AboveGround").CheckBox());
    EXPECT_EQ(page.Setup().Get(LeafSetup::kAboveGround), 1);

    TextureManager& textures = frame->Textures();
    Command(ID_PAINTED_LEAVES_FIRST + Painted::kBirchTwig);
    Command(ID_PAINTED_BARK_FIRST + Painted::kBirchBark);
    const int twig = grovewright::ProceduralTextures::Choice::kDrawnLeaves + Painted::kBirchTwig;
    const int bark = grovewright::ProceduralTextures::Choice::kDrawnBarks + Painted::kBirchBark;
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), twig);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), bark);
    EXPECT_TRUE(Checked(ID_PAINTED_LEAVES_FIRST + Painted::kBirchTwig));
    EXPECT_FALSE(Checked(ID_LEAVES_1));
    EXPECT_EQ(textures.Image(TextureManager::Kind::Leaves).width, Painted::kSize);

    // Undo takes back the textures, then the colour variation, one step each.
    Command(ID_UNDO);
    Command(ID_UNDO);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), 0);
    EXPECT_TRUE(Checked(ID_LEAVES_1));
    Command(ID_UNDO);  // Above ground
    Command(ID_UNDO);
    EXPECT_EQ(page.Setup().Get(LeafSetup::kLightnessVariation), 0);
    EXPECT_FALSE(frame->LeafStore()[0].Tinted());
    for (int i = 0; i < 4; ++i) Command(ID_REDO);
    EXPECT_TRUE(frame->LeafStore()[0].Tinted());
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), bark);

    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("foliage.xml"))));
    EXPECT_NE(grovewright::test::ReadFileBytes(folder.File("foliage.xml")).find("<Foliage1>"), std::string::npos);
    Command(ID_NEW_PROJECT);
    EXPECT_EQ(page.Setup().Get(LeafSetup::kShootLeaves), 1);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), 0);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("foliage.xml"))));
    EXPECT_EQ(page.Setup().Get(LeafSetup::kShootLeaves), 5);
    EXPECT_EQ(page.Row("LightnessVariation").Label()->GetLabel(), "Lightness var. %: 30");
    EXPECT_TRUE(page.Row("AboveGround").CheckBox()->GetValue());
    EXPECT_EQ(frame->LeafStore()[0].size(), 20u);
    EXPECT_TRUE(frame->LeafStore()[0].Tinted());
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), twig);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), bark);
}

// The leaf pages are not made with the window but when the leaf side is first
// shown, filling the column and showing the design of that moment; an undo then
// moves their thumbs as on pages made at the start.
TEST_F(FrameTest, TheLeafPagesAreMadeWhenFirstShownWithTheDesignOfThatMoment) {
    using grovewright::ParameterId;
    EXPECT_FALSE(frame->LeavesMade());
    frame->Design().Apply(ParameterId::Leaf(3, LeafSetup::kUseLeaf), 1);
    frame->Design().Apply(ParameterId::Leaf(3, LeafSetup::kAddAngle), 40);
    Command(ID_MODE_FULL_3D);
    EXPECT_FALSE(frame->LeavesMade());

    Command(ID_CREATOR_LEAVES);
    ASSERT_TRUE(frame->LeavesMade());
    EXPECT_TRUE(Leaves().IsShown());
    EXPECT_TRUE(Leaves().IsEnabled());
    EXPECT_EQ(Leaves().GetSize(), frame->SidePanel()->GetClientSize());
    Leaves().Notebook()->SetSelection(3);
    Pump();
    EXPECT_TRUE(Leaves().Page(3).Row("UseLeaf").CheckBox()->GetValue());
    EXPECT_EQ(Leaves().Page(3).Row("AddAngle").Slider()->GetValue(), 40);
    Command(ID_UNDO);
    EXPECT_NE(Leaves().Page(3).Row("AddAngle").Slider()->GetValue(), 40);
    EXPECT_EQ(Leaves().Page(3).Row("AddAngle").Slider()->GetValue(),
              frame->Design().Get(ParameterId::Leaf(3, LeafSetup::kAddAngle)));
    // Back on the tree side the pages stay made, hidden.
    Command(ID_CREATOR_TREES);
    EXPECT_FALSE(Leaves().IsShown());
    EXPECT_TRUE(frame->TreeNotebook()->IsShown());
}

TEST_F(FrameTest, LeafRowsLabelValidateAndRegenerateOnEveryStep) {
    Simple().SetHeight(200);
    Simple().SetIteration(2);
    Simple().Rebuild();
    LeafSetupPanel& page = Leaves().Page(0);
    EXPECT_EQ(page.Row("RelAdd").Label()->GetLabel(), "Rel. add: 1.00");
    Click(page.Row("UseLeaf").CheckBox());
    EXPECT_TRUE(page.Setup().UseLeaf());
    ASSERT_EQ(frame->LeafStore().ListCount(), 1u);
    EXPECT_EQ(frame->LeafStore()[0].size(), 4u);  // one strip per outermost segment
    EXPECT_TRUE(page.IsModified());

    Drag(page.Row("Height").Slider(), 60);
    Drag(page.Row("Height").Slider(), 120);
    EXPECT_EQ(page.Row("Height").Label()->GetLabel(), "Height: 1.20 m");
    Drag(page.Row("RelAdd").Slider(), 55);
    EXPECT_EQ(page.Row("RelAdd").Label()->GetLabel(), "Rel. add: 0.55");
    Drag(page.Row("SegmentCount").Slider(), 5);
    EXPECT_EQ(frame->LeafStore()[0][0].VertexCount(), 12);  // regenerated at once
    Drag(page.Row("RelativAddDownTo").Slider(), 1);
    EXPECT_EQ(frame->LeafStore()[0].size(), 6u);

    // Setters validate and never mark the page.
    page.ClearModified();
    page.Set(LeafSetup::kHeight, -1);
    page.Set(LeafSetup::kLeafSplit, 4);
    EXPECT_EQ(page.Setup().Get(LeafSetup::kHeight), 120);
    EXPECT_EQ(page.Setup().Get(LeafSetup::kLeafSplit), 2);
    page.Set(LeafSetup::kAddAngle, -45);
    EXPECT_EQ(page.Row("AddAngle").Label()->GetLabel(), "Add Angle: -45");
    EXPECT_FALSE(page.IsModified());
    EXPECT_FALSE(Leaves().IsModified());
    Drag(Leaves().Page(7).Row("Width").Slider(), 30);
    EXPECT_TRUE(Leaves().IsModified());
    Leaves().ClearModified();
    EXPECT_FALSE(Leaves().Page(7).IsModified());

    // A tree edit regenerates the leaves on the new skeleton.
    Drag(Simple().Row("Iteration").Slider(), 3);
    EXPECT_EQ(frame->LeafStore()[0].size(), 8u + 4u);

    Command(ID_RESET_LEAVES);
    EXPECT_EQ(page.Row("RelAdd").Label()->GetLabel(), "Rel. add: 1.00");
    EXPECT_EQ(page.Row("LeafSplit").Label()->GetLabel(), "Leaf split: 2");
    EXPECT_FALSE(page.Row("UseLeaf").CheckBox()->GetValue());
    EXPECT_TRUE(frame->LeafStore()[0].empty());
}

TEST_F(FrameTest, LeafPagesComeBackWithTheProject) {
    grovewright::test::TempFolder folder;
    Simple().SetHeight(200);
    Simple().SetIteration(1);
    LeafSetupPanel& page = Leaves().Page(2);
    page.Set(LeafSetup::kHeight, 120);
    page.Set(LeafSetup::kAddAngle, -30);
    page.SetUseLeaf(true);
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("leafy.xml"))));
    Command(ID_RESET_LEAVES);
    EXPECT_FALSE(page.Setup().UseLeaf());
    Leaves().ClearModified();
    // The reset is an unsaved change (the design is no longer as saved): Load asks first.
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxMessageDialog>(wxNO),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("leafy.xml"))));
    EXPECT_TRUE(page.Setup().UseLeaf());
    EXPECT_EQ(page.Setup().Get(LeafSetup::kHeight), 120);
    EXPECT_EQ(page.Row("AddAngle").Label()->GetLabel(), "Add Angle: -30");
    EXPECT_TRUE(page.Row("UseLeaf").CheckBox()->GetValue());
    EXPECT_EQ(frame->LeafStore()[0].size(), 2u);  // generated on the loaded tree
    EXPECT_FALSE(Leaves().IsModified());
}

// A leaf value that moves leaves without changing their number rewrites the
// view's leaf mesh only where that page's leaves are: the picture is the one a
// mesh made anew gives, after a drag, its undo, and a second page's edit.
TEST_F(FrameTest, ALeafEditRewritesOnlyItsPagesLeavesInTheView) {
    Command(ID_EXAMPLE_FIRST);  // the oak, in Full 3D with its leaves
    auto rewrites = std::make_shared<int>(0);
    frame->Design().AddObserver([rewrites](const grovewright::DesignChange& change) {
        if (change.leafPolygonsChanged) ++*rewrites;
    });
    auto sameAsMadeAnew = [&] {
        const grovewright::PixelImage shown = View().ReadPixels();
        View().DeleteDisplayLists();
        View().Redraw(0);
        return shown.pixels == View().ReadPixels().pixels;
    };
    LeafSetupPanel& page = Leaves().Page(0);
    ASSERT_TRUE(page.Setup().UseLeaf());
    const grovewright::PixelImage before = View().ReadPixels();
    Drag(page.Row("AddAngle").Slider(), page.Setup().Get(grovewright::LeafSetup::kAddAngle) + 30);
    Drag(page.Row("TwistAngle").Slider(), 200);
    Release(page.Row("TwistAngle").Slider());
    EXPECT_EQ(*rewrites, 2);
    EXPECT_FALSE(View().ReadPixels().pixels == before.pixels);
    EXPECT_TRUE(sameAsMadeAnew());
    Command(ID_UNDO);
    EXPECT_EQ(*rewrites, 3);
    EXPECT_TRUE(sameAsMadeAnew());
    // A value that changes the leaves' number makes the mesh anew.
    Drag(page.Row("SegmentCount").Slider(), page.Setup().Get(grovewright::LeafSetup::kSegmentCount) + 1);
    EXPECT_EQ(*rewrites, 3);
    EXPECT_TRUE(sameAsMadeAnew());
}
