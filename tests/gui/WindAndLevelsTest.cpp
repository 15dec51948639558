// The wind preview moves the view and nothing else; the window's glTF export
// with levels of detail draws its impostor's pictures in the view.
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/slider.h>
#include <wx/timer.h>

#include <optional>

#include "../core/ExportParsers.h"
#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "app/SessionEnd.h"
#include "render/TextureImage.h"

namespace {

// The PNG's width and height, from its header.
std::pair<int, int> PngSize(const std::string& png) {
    auto word = [&](std::size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    return {word(16), word(20)};
}

}  // namespace

TEST_F(FrameTest, TheWindMovesTheViewOnlyAndRestsForEditsOtherModesAndTheBillboard) {
    Command(ID_EXAMPLE_FIRST);  // the oak, in Full 3D
    ASSERT_EQ(View().GetRenderMode(), GrovewrightDrawPanelGL::kFull3D);
    const grovewright::PixelImage still = View().ReadPixels();
    EXPECT_FALSE(View().DrawWindFrame(1.0));  // off
    Command(ID_WIND);
    EXPECT_TRUE(Checked(ID_WIND));
    EXPECT_TRUE(View().WindOn());
    ASSERT_TRUE(View().DrawWindFrame(1.0));
    EXPECT_TRUE(View().ShowsWind());
    const grovewright::PixelImage moved = View().ReadPixels();
    ASSERT_TRUE(View().DrawWindFrame(2.5));
    EXPECT_TRUE(View().ReadPixels().pixels != moved.pixels);
    EXPECT_TRUE(moved.pixels != still.pixels);
    // No strength: the preview rests, and shows the tree at rest.
    View().SetWindStrength(0);
    EXPECT_FALSE(View().DrawWindFrame(3.0));
    EXPECT_FALSE(View().ShowsWind());
    EXPECT_TRUE(View().ReadPixels().pixels == still.pixels);
    View().SetWindStrength(100);
    // Nor does anything move behind a modal dialog, a native one included.
    for (const bool native : {false, true}) {
        std::optional<bool> drawn;
        wxTimer during;
        during.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            drawn = View().DrawWindFrame(3.5);
            EndModalDialogs();
        });
        during.StartOnce(100);
        if (native) {
            wxMessageDialog question(frame, "Save the changes?", "Question", wxYES_NO);
            question.ShowModal();
        } else {
            wxDialog dialog(frame, wxID_ANY, "Save As");
            dialog.ShowModal();
        }
        ASSERT_TRUE(drawn.has_value()) << native;
        EXPECT_FALSE(*drawn) << native;
    }
    // The design is as loaded: nothing to save.
    EXPECT_FALSE(frame->IsDesignModified());

    // An edit: the tree rests until the edits are over.
    Drag(frame->Generators()[1]->Row("Height").Slider(), 300);
    Command(ID_MODE_FULL_3D);
    EXPECT_FALSE(View().DrawWindFrame(4.0));
    EXPECT_FALSE(View().ShowsWind());
    // Another mode: nothing moves.
    Command(ID_MODE_WIRE_FRAME);
    EXPECT_FALSE(View().DrawWindFrame(5.0));
    // What the billboard takes is the tree at rest.
    Command(ID_MODE_FULL_3D);
    wxMilliSleep(450);
    ASSERT_TRUE(View().DrawWindFrame(6.0));
    EXPECT_TRUE(View().PrepareLists());
    EXPECT_FALSE(View().ShowsWind());

    // Closing the strength box stops the wind.
    wxDialog* box = nullptr;
    for (wxWindow* window : frame->GetChildren())
        if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->GetTitle() == "Wind") box = dialog;
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsShown());
    box->Close();
    EXPECT_FALSE(Checked(ID_WIND));
    EXPECT_FALSE(View().WindOn());
    EXPECT_FALSE(box->IsShown());
}

TEST_F(FrameTest, TheGltfExportWithLevelsOfDetailDrawsItsImpostorInTheView) {
    Command(ID_EXAMPLE_FIRST + 1);  // the birch
    grovewright::test::TempFolder folder;
    wxTEST_DIALOG(Command(ID_EXPORT_GLB_LOD),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("birch"))));
    const auto glb = grovewright::test::ParseGlb(grovewright::test::ReadFileBytes(folder.File("birch.glb")));
    ASSERT_EQ(glb.error, "");
    std::vector<std::string> names;
    for (const auto& node : glb.json["nodes"]) names.push_back(node["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"Tree_LOD0", "Tree_LOD1", "Tree_LOD2", "Tree_LOD3", "Tree"}));
    int impostors = 0;
    for (const auto& image : glb.json["images"]) {
        if (image["name"] != "birch_Impostor") continue;
        ++impostors;
        const std::string png = glb.View(image["bufferView"]);
        const auto [width, height] = PngSize(png);
        EXPECT_EQ(width, 8 * height);
        EXPECT_GE(height, 64);
        // The pictures show the tree: neither empty nor full.
        grovewright::PixelImage atlas;
        std::string error;
        grovewright::test::WriteFileBytes(folder.File("atlas.png"), png);
        ASSERT_TRUE(grovewright::ReadTextureImage(folder.File("atlas.png"), atlas, error)) << error;
        std::size_t opaque = 0;
        for (std::size_t at = 3; at < atlas.pixels.size(); at += 4) opaque += atlas.pixels[at] == 255;
        EXPECT_GT(opaque, atlas.pixels.size() / 4 / 50);
        EXPECT_LT(opaque, atlas.pixels.size() / 4 / 2);
    }
    EXPECT_EQ(impostors, 1);
}
