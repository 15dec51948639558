#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "../core/ExportParsers.h"
#include "io/ImageFiles.h"
#include "render/gl/TextureManager.h"

using grovewright::test::TempFolder;

TEST_F(FrameTest, StartsWithTheDocumentedStates) {
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 ");
    EXPECT_EQ(frame->GetMenuBar()->GetMenuCount(), 5u);
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabelText(0), "File");
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabelText(4), "Help");
    for (int id : {ID_SAVE, ID_EXPORT_DXF, ID_EXPORT_DIRECTX, ID_BILLBOARD, ID_CREATOR_TREES, ID_CREATOR_LEAVES})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {ID_NEW_PROJECT, ID_LOAD, ID_SAVE_AS, ID_MODE}) EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {ID_MODE_LINE, ID_LIGHT_OFF, ID_TRUNK_1, ID_STUMP_1, ID_LEAVES_1, ID_SPRING, ID_SKY_BLUE,
                   ID_CREATOR_TREES})
        EXPECT_TRUE(Checked(id)) << id;
    for (int id : {ID_MODE_WIRE_FRAME, ID_MODE_FULL_3D, ID_LIGHT_ON, ID_TRUNK_2, ID_TRUNK_CUSTOM, ID_CREATOR_LEAVES})
        EXPECT_FALSE(Checked(id)) << id;
    // The toolbar mirrors the menus.
    EXPECT_FALSE(ToolEnabled(ID_SAVE));
    EXPECT_FALSE(ToolEnabled(ID_BILLBOARD));
    EXPECT_TRUE(ToolOn(ID_CREATOR_TREES));
    EXPECT_FALSE(ToolEnabled(ID_CREATOR_TREES));
    EXPECT_TRUE(ToolOn(ID_MODE_LINE));
    EXPECT_TRUE(ToolOn(ID_LIGHT_OFF));
    EXPECT_FALSE(ToolOn(ID_LIGHT_ON));
    EXPECT_EQ(frame->GetToolBar()->GetToolShortHelp(ID_MODE_WIRE_FRAME), "Wire Frame");
    // The first tab is shown, and nothing was grown yet.
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 0);
    EXPECT_EQ(frame->TreeNotebook()->GetPageText(0), "SimpleGrovewright");
    EXPECT_TRUE(frame->Skeleton().Empty());
    EXPECT_EQ(View().GetRenderMode(), 0);
}

TEST_F(FrameTest, LayoutKeepsTheSettingsColumnOnTheRight) {
    const wxSize client = frame->GetClientSize();
    const int column = frame->SideColumn();
    // At least 300 pixels, wider when the three tree tabs need it; the view keeps room.
    EXPECT_GE(column, 300);
    EXPECT_LE(column, 450);
    EXPECT_EQ(frame->SidePanel()->GetPosition().x, client.x - column);
    EXPECT_EQ(frame->SidePanel()->GetSize().x, column);
    EXPECT_EQ(View().GetSize().x, client.x - column);
    EXPECT_EQ(View().GetSize().y, client.y);
    EXPECT_EQ(frame->TreeNotebook()->GetPosition(), wxPoint(5, 15));
    EXPECT_EQ(frame->TreeNotebook()->GetSize().x, column - 10);
    // Narrower than the column: the view keeps a size of at least 1 x 1.
    View().ResizeView(120, 0, column);
    EXPECT_GE(View().GetSize().x, 1);
    EXPECT_GE(View().GetSize().y, 1);
    EXPECT_GE(frame->GetMinSize().x, column);
}

TEST_F(FrameTest, RenderModesSwitchMenusToolsAndRows) {
    Command(ID_MODE_WIRE_FRAME);
    EXPECT_TRUE(Checked(ID_MODE_WIRE_FRAME));
    EXPECT_FALSE(Checked(ID_MODE_LINE));
    EXPECT_TRUE(ToolOn(ID_MODE_WIRE_FRAME));
    EXPECT_FALSE(ToolOn(ID_MODE_LINE));
    EXPECT_TRUE(Enabled(ID_EXPORT_DXF));
    EXPECT_TRUE(Enabled(ID_EXPORT_DIRECTX));
    EXPECT_FALSE(Enabled(ID_BILLBOARD));
    EXPECT_FALSE(Enabled(ID_CREATOR_TREES));
    EXPECT_FALSE(frame->LineMode());
    EXPECT_TRUE(Simple().MeshMode());
    EXPECT_EQ(View().GetRenderMode(), 1);

    Command(ID_MODE_FULL_3D);
    EXPECT_TRUE(Checked(ID_MODE_FULL_3D));
    EXPECT_FALSE(Checked(ID_MODE_WIRE_FRAME));
    EXPECT_TRUE(Enabled(ID_BILLBOARD));
    EXPECT_TRUE(ToolEnabled(ID_BILLBOARD));
    EXPECT_TRUE(Enabled(ID_CREATOR_TREES));
    EXPECT_TRUE(ToolEnabled(ID_CREATOR_LEAVES));
    EXPECT_EQ(View().GetRenderMode(), 2);

    Command(ID_MODE_LINE);
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    EXPECT_FALSE(Enabled(ID_EXPORT_DXF));
    EXPECT_FALSE(Enabled(ID_BILLBOARD));
    EXPECT_FALSE(ToolEnabled(ID_BILLBOARD));
    EXPECT_FALSE(Simple().MeshMode());
    EXPECT_TRUE(frame->LineMode());
}

TEST_F(FrameTest, LightingCommandsCheckOneOfTwo) {
    Command(ID_LIGHT_ON);
    EXPECT_TRUE(Checked(ID_LIGHT_ON));
    EXPECT_FALSE(Checked(ID_LIGHT_OFF));
    EXPECT_TRUE(ToolOn(ID_LIGHT_ON));
    EXPECT_FALSE(ToolOn(ID_LIGHT_OFF));
    EXPECT_TRUE(View().IsLightingOn());
    Command(ID_LIGHT_OFF);
    EXPECT_FALSE(Checked(ID_LIGHT_ON));
    EXPECT_TRUE(ToolOn(ID_LIGHT_OFF));
    EXPECT_FALSE(View().IsLightingOn());
}

TEST_F(FrameTest, PageChangeRebuildsTheShownGeneratorsTree) {
    Simple().SetHeight(250);
    Simple().SetIteration(2);
    EXPECT_TRUE(frame->Skeleton().Empty());  // setters do not rebuild
    wxBookCtrlEvent event(wxEVT_NOTEBOOK_PAGE_CHANGED, ID_TREE_NOTEBOOK, 0, 0);
    event.SetEventObject(frame->TreeNotebook());
    frame->TreeNotebook()->ProcessWindowEvent(event);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 7u);
    EXPECT_FALSE(Simple().IsModified());
}

// A slider step on a large design shows the busy cursor while the tree is
// grown and drawn, and takes it away after; a small design's step does not.
TEST_F(FrameTest, ASliderStepOnALargeDesignShowsTheBusyCursorMeanwhile) {
    Simple().SetHeight(250);
    std::vector<bool> busyWhileShown;
    frame->Design().AddObserver([&](const grovewright::DesignChange&) { busyWhileShown.push_back(wxIsBusy()); });
    Drag(Simple().Row("Iteration").Slider(), 3);
    frame->Design().SetBusyTriangles(1);  // every design counts as large
    Drag(Simple().Row("Iteration").Slider(), 4);
    EXPECT_EQ(busyWhileShown, (std::vector<bool>{false, true}));
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(FrameTest, LoadAppliesTheFileAndReturnsToLineMode) {
    TempFolder folder;
    std::ifstream example(std::string(GROVEWRIGHT_EXAMPLES) + "/small-tree.xml");
    std::ofstream(folder.File("tree.xml")) << example.rdbuf();
    Command(ID_MODE_FULL_3D);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree.xml"))));
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 15u);
    EXPECT_EQ(Simple().Model().Base().Height(), 300);
    EXPECT_EQ(Simple().Row("Height").Label()->GetLabel(), "Height: 3.00 m");
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + wxString::FromUTF8(folder.File("tree.xml")));
    EXPECT_TRUE(Enabled(ID_SAVE));
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    EXPECT_FALSE(Enabled(ID_BILLBOARD));
    EXPECT_FALSE(Simple().IsModified());

}

TEST_F(FrameTest, UnsavedChangesAreAskedForAndSaveAsAddsTheExtension) {
    TempFolder folder;
    Drag(Simple().Row("Height").Slider(), 120);
    ASSERT_TRUE(Simple().IsModified());
    // Cancel keeps everything; yes saves first through Save As.
    wxTEST_DIALOG(Command(ID_NEW_PROJECT), wxExpectModal<wxMessageDialog>(wxCANCEL));
    EXPECT_EQ(Simple().Model().Base().Height(), 120);
    wxTEST_DIALOG(Command(ID_NEW_PROJECT), wxExpectModal<wxMessageDialog>(wxYES),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("design"))));
    EXPECT_TRUE(grovewright::test::ReadFileBytes(folder.File("design.xml")).find("<Height>120</Height>") !=
                std::string::npos);
    EXPECT_EQ(Simple().Model().Base().Height(), 0);  // then the new project
    EXPECT_FALSE(Enabled(ID_SAVE));
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 ");

    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("again"))));
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + wxString::FromUTF8(folder.File("again.xml")));
    EXPECT_TRUE(Enabled(ID_SAVE));
    // Unmodified: no question.
    Command(ID_NEW_PROJECT);
}

TEST_F(FrameTest, FailedSaveKeepsTheOldFileAndSaysSo) {
    TempFolder folder;
    wxTEST_DIALOG(Command(ID_SAVE_AS),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("missing/folder/tree.xml"))),
                  wxExpectModal<wxMessageDialog>(wxOK));
    EXPECT_FALSE(Enabled(ID_SAVE));
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 ");
}

TEST_F(FrameTest, ResetsReturnToLineModeAndDefaults) {
    Command(ID_MODE_FULL_3D);
    Simple().SetIteration(4);
    Simple().SetBalance(80);
    Command(ID_RESET_CURRENT_TREE);
    EXPECT_EQ(Simple().Model().Base().Iteration(), 0);
    EXPECT_EQ(Simple().Custom().Balance(), 50);
    EXPECT_EQ(Simple().CustomRow("Balance").Label()->GetLabel(), "Balance: 0.50");
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    EXPECT_FALSE(Enabled(ID_EXPORT_DXF));
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 1u);  // the reset rebuilds
}

TEST_F(FrameTest, TexturesAreCreatedOnceAndAFailedCustomLoadKeepsTheChoice) {
    TextureManager& textures = frame->Textures();
    EXPECT_FALSE(textures.IsBuilt());
    Command(ID_TRUNK_2);
    EXPECT_TRUE(textures.IsBuilt());
    Command(ID_SKY_GREY);
    Command(ID_MODE_FULL_3D);
    EXPECT_EQ(textures.BuiltinCreations(), 1);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), 1);
    EXPECT_TRUE(Checked(ID_TRUNK_2));
    EXPECT_FALSE(Checked(ID_TRUNK_1));

    TempFolder folder;
    std::ofstream(folder.File("broken.bmp")) << "not an image";
    wxTEST_DIALOG(Command(ID_TRUNK_CUSTOM),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("broken.bmp"))),
                  wxExpectModal<wxMessageDialog>(wxOK));
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), 1);
    EXPECT_TRUE(Checked(ID_TRUNK_2));
    EXPECT_FALSE(Checked(ID_TRUNK_CUSTOM));
    wxTEST_DIALOG(Command(ID_TRUNK_CUSTOM), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    EXPECT_TRUE(Checked(ID_TRUNK_2));
    EXPECT_FALSE(Checked(ID_TRUNK_CUSTOM));

    // A custom image replaces the texture in its slot each time.
    wxImage(8, 4).SaveFile(wxString::FromUTF8(folder.File("bark.bmp")), wxBITMAP_TYPE_BMP);
    wxTEST_DIALOG(Command(ID_TRUNK_CUSTOM), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("bark.bmp"))));
    // The custom slots follow the built-in textures, painted ones included.
    const int customBark = grovewright::TextureChoice::kBuiltInCount[grovewright::TextureChoice::kBark];
    const int customLeaves = grovewright::TextureChoice::kBuiltInCount[grovewright::TextureChoice::kLeaves];
    const GLuint first = textures.Texture(TextureManager::Kind::Trunk, customBark);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), customBark);
    EXPECT_TRUE(Checked(ID_TRUNK_CUSTOM));
    EXPECT_FALSE(Checked(ID_TRUNK_2));
    // Failing while the custom bark is current keeps Custom checked.
    wxTEST_DIALOG(Command(ID_TRUNK_CUSTOM), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    EXPECT_TRUE(Checked(ID_TRUNK_CUSTOM));
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), customBark);

    // A TGA leaf goes into the custom leaf slot.
    std::string tga(18, '\0');
    tga[2] = 2, tga[12] = 2, tga[14] = 2, tga[16] = 32;
    std::ofstream(folder.File("leaf.tga"), std::ios::binary) << tga << std::string(16, '\x40');
    wxTEST_DIALOG(Command(ID_LEAVES_CUSTOM), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("leaf.tga"))));
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), customLeaves);
    EXPECT_NE(textures.Texture(TextureManager::Kind::Leaves, customLeaves), 0u);
    EXPECT_EQ(textures.BuiltinCreations(), 1);
    // One without alpha is taken too, with a word on what it will look like.
    tga[16] = 24;
    std::ofstream(folder.File("opaque.tga"), std::ios::binary) << tga << std::string(12, '\x40');
    wxString told;
    wxTEST_DIALOG(Command(ID_LEAVES_CUSTOM), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("opaque.tga"))),
                  ExpectMessage(wxOK, told));
    EXPECT_NE(told.Find("opaque squares"), wxNOT_FOUND) << told;
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Leaves), customLeaves);
}

TEST_F(FrameTest, ExportCommandsWriteTheShownTree) {
    TempFolder folder;
    Simple().SetHeight(200);
    Simple().SetIteration(2);
    Simple().SetCustomCut(true);
    Command(ID_MODE_WIRE_FRAME);  // builds the lists, with a stump list for the caps
    Simple().Rebuild();
    View().Redraw(0);
    wxTEST_DIALOG(Command(ID_EXPORT_DXF_TREE), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree"))));
    const auto dxf = grovewright::test::SplitLines(grovewright::test::ReadFileBytes(folder.File("tree.dxf")));
    // 7 segments x 2 x 3 side faces and 4 caps x 3 faces, 28 lines each, in the 10-line frame.
    EXPECT_EQ(dxf.size(), 10u + 28u * (7 * 6 + 4 * 3));
    wxTEST_DIALOG(Command(ID_EXPORT_DIRECTX_TREE), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree.x"))));
    const std::string x = grovewright::test::ReadFileBytes(folder.File("tree.x"));
    EXPECT_NE(x.find("Mesh Mesh_0 {\n56;"), std::string::npos);  // 7 strips of 2 x 4 vertices
    EXPECT_NE(x.find("Mesh Mesh_1 {\n20;"), std::string::npos);  // the caps: 4 fans of 5 points
    // The view draws as before.
    EXPECT_FALSE(View().GetTreeList().Empty());
}

TEST_F(FrameTest, ModelExportsWriteTheShownTreeWithTheViewsTextures) {
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(GROVEWRIGHT_EXAMPLES "/screenshot-tree.xml"));
    EXPECT_FALSE(Enabled(ID_EXPORT_GLB));
    EXPECT_FALSE(Enabled(ID_EXPORT_OBJ));
    Command(ID_MODE_FULL_3D);
    EXPECT_TRUE(Enabled(ID_EXPORT_GLB));
    EXPECT_TRUE(Enabled(ID_EXPORT_OBJ));
    Command(ID_TRUNK_2);
    TempFolder folder;
    wxTEST_DIALOG(Command(ID_EXPORT_GLB_LEAVES), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree"))));
    const auto glb = grovewright::test::ParseGlb(grovewright::test::ReadFileBytes(folder.File("tree.glb")));
    ASSERT_EQ(glb.error, "");
    std::size_t triangles[2] = {0, 0};  // Tree, Leaves
    for (const auto& mesh : glb.json["meshes"])
        for (const auto& primitive : mesh["primitives"])
            triangles[mesh["name"] == "Leaves"] +=
                glb.json["accessors"][primitive["indices"].get<int>()]["count"].get<std::size_t>() / 3;
    EXPECT_EQ(triangles[0], static_cast<std::size_t>(View().GetTreeTriangles()));
    EXPECT_EQ(triangles[1], static_cast<std::size_t>(View().GetLeafTriangles()));
    EXPECT_GT(triangles[1], 0u);
    // The bark inside is the one the view shows: Trunc2.
    EXPECT_TRUE(glb.View(glb.json["images"][0]["bufferView"]) ==
                grovewright::EncodePng(frame->Textures().Image(TextureManager::Kind::Trunk)));
    EXPECT_EQ(glb.json["images"][0]["name"], "tree_Bark");

    wxTEST_DIALOG(Command(ID_EXPORT_OBJ_TREE), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree"))));
    const auto obj = grovewright::test::SplitLines(grovewright::test::ReadFileBytes(folder.File("tree.obj")));
    EXPECT_EQ(std::count_if(obj.begin(), obj.end(), [](const std::string& line) { return line.rfind("f ", 0) == 0; }),
              View().GetTreeTriangles());
    EXPECT_EQ(std::count(obj.begin(), obj.end(), "g Leaves"), 0);
    for (const char* file : {"tree.mtl", "tree_bark.png", "tree_stump.png"})
        EXPECT_FALSE(grovewright::test::ReadFileBytes(folder.File(file)).empty()) << file;
}

TEST_F(FrameTest, ACustomJpegOrPngTextureIsExportedAsItIs) {
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(GROVEWRIGHT_EXAMPLES "/screenshot-tree.xml"));
    Command(ID_MODE_FULL_3D);
    TempFolder folder;
    // A JPEG bark and a PNG leaf with an alpha outline.
    std::vector<unsigned char> pixels(16 * 16 * 4);
    for (std::size_t at = 0; at < pixels.size(); ++at) pixels[at] = static_cast<unsigned char>(at % 4 == 3 ? (at / 64) * 16 : at * 7);
    std::string jpeg;
    stbi_write_jpg_to_func([](void* out, void* data, int size) { static_cast<std::string*>(out)->append(
                               static_cast<const char*>(data), static_cast<std::size_t>(size)); },
                           &jpeg, 16, 16, 4, pixels.data(), 90);
    grovewright::test::WriteFileBytes(folder.File("bark.jpg"), jpeg);
    grovewright::PixelImage leaf(16, 16, 4);
    leaf.pixels.assign(pixels.begin(), pixels.end());
    const std::string png = grovewright::EncodePng(leaf);
    grovewright::test::WriteFileBytes(folder.File("leaf.png"), png);
    wxTEST_DIALOG(Command(ID_TRUNK_CUSTOM), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("bark.jpg"))));
    wxTEST_DIALOG(Command(ID_LEAVES_CUSTOM), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("leaf.png"))));
    EXPECT_TRUE(Checked(ID_TRUNK_CUSTOM));

    wxTEST_DIALOG(Command(ID_EXPORT_GLB_LEAVES), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("tree"))));
    const auto glb = grovewright::test::ParseGlb(grovewright::test::ReadFileBytes(folder.File("tree.glb")));
    ASSERT_EQ(glb.error, "");
    int checked = 0;
    for (const auto& image : glb.json["images"]) {
        if (image["name"] == "tree_Bark") {
            EXPECT_EQ(image["mimeType"], "image/jpeg");
            EXPECT_TRUE(glb.View(image["bufferView"]) == jpeg);
            ++checked;
        } else if (image["name"] == "tree_Leaves") {
            EXPECT_EQ(image["mimeType"], "image/png");
            EXPECT_TRUE(glb.View(image["bufferView"]) == png);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
    // Back to a built-in bark: encoded from its pixels again.
    Command(ID_TRUNK_1);
    wxTEST_DIALOG(Command(ID_EXPORT_GLB_LEAVES),
                  wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("built-in"))));
    const auto builtIn = grovewright::test::ParseGlb(grovewright::test::ReadFileBytes(folder.File("built-in.glb")));
    EXPECT_EQ(builtIn.json["images"][0]["mimeType"], "image/png");
    EXPECT_TRUE(builtIn.View(builtIn.json["images"][0]["bufferView"]) ==
                grovewright::EncodePng(frame->Textures().Image(TextureManager::Kind::Trunk)));
}

TEST_F(FrameTest, TheProjectKeepsItsOwnTexturesAndNamesTheImagesItCannotFind) {
    TempFolder folder;
    std::filesystem::create_directories(folder.File("images"));
    grovewright::PixelImage bark(8, 4, 3);
    bark.pixels.assign(bark.pixels.size(), 90);
    grovewright::test::WriteFileBytes(folder.File("images/bark.png"), grovewright::EncodePng(bark));
    std::string jpeg;
    stbi_write_jpg_to_func([](void* out, void* data, int size) { static_cast<std::string*>(out)->append(
                               static_cast<const char*>(data), static_cast<std::size_t>(size)); },
                           &jpeg, 8, 4, 3, bark.pixels.data(), 90);
    grovewright::test::WriteFileBytes(folder.File("images/ground.jpg"), jpeg);
    // Run-length TGA: one packet repeating a BGRA pixel six times (3 x 2).
    std::string tga(18, '\0');
    tga[2] = 10, tga[12] = 3, tga[14] = 2, tga[16] = 32, tga[17] = 8;
    grovewright::test::WriteFileBytes(folder.File("images/stump.tga"), tga + std::string("\x85\x10\x20\x30\xff", 5));
    for (auto [item, file] : {std::pair{ID_TRUNK_CUSTOM, "bark.png"}, {ID_GROUND_CUSTOM, "ground.jpg"},
                              {ID_STUMP_CUSTOM, "stump.tga"}})
        wxTEST_DIALOG(Command(item), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("images/") + file)));
    Command(ID_SKY_GREY);
    EXPECT_TRUE(frame->IsDesignModified());
    const wxString project = wxString::FromUTF8(folder.File("design.xml"));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(project));
    const std::string saved = grovewright::test::ReadFileBytes(folder.File("design.xml"));
    for (const char* line : {"<BarkImage>images/bark.png</BarkImage>", "<GroundImage>images/ground.jpg</GroundImage>",
                             "<StumpImage>images/stump.tga</StumpImage>", "<SkyTexture>1</SkyTexture>"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << saved;

    TextureManager& textures = frame->Textures();
    Command(ID_NEW_PROJECT);
    for (int id : {ID_TRUNK_1, ID_STUMP_1, ID_SPRING, ID_SKY_BLUE}) EXPECT_TRUE(Checked(id)) << id;
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Trunk), 0);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(project));
    for (int id : {ID_TRUNK_CUSTOM, ID_STUMP_CUSTOM, ID_GROUND_CUSTOM, ID_SKY_GREY}) EXPECT_TRUE(Checked(id)) << id;
    EXPECT_EQ(textures.Image(TextureManager::Kind::Trunk).width, 8);
    EXPECT_EQ(textures.Image(TextureManager::Kind::Stump).width, 3);
    EXPECT_EQ(textures.Image(TextureManager::Kind::Ground).height, 4);
    EXPECT_FALSE(frame->IsDesignModified());
    // Undo takes the load back, textures included.
    Command(ID_UNDO);
    EXPECT_TRUE(Checked(ID_TRUNK_1));
    EXPECT_EQ(textures.Selected(TextureManager::Kind::Sky), 0);

    Command(ID_REDO);
    EXPECT_TRUE(Checked(ID_TRUNK_CUSTOM));

    // An image gone: named in one message, the built-in texture shown, the others as saved.
    Command(ID_NEW_PROJECT);
    std::filesystem::remove(folder.File("images/stump.tga"));
    std::filesystem::remove(folder.File("images/ground.jpg"));
    wxString told;
    wxTEST_DIALOG(
        [&] {
            Command(ID_LOAD);
            Pump();
        }(),
        wxExpectModal<wxFileDialog>(project), ExpectMessage(wxOK, told));
    EXPECT_NE(told.Find("stump: " + wxString::FromUTF8(folder.File("images/stump.tga"))), wxNOT_FOUND) << told;
    EXPECT_NE(told.Find("ground: " + wxString::FromUTF8(folder.File("images/ground.jpg"))), wxNOT_FOUND) << told;
    EXPECT_TRUE(Checked(ID_STUMP_1));
    EXPECT_TRUE(Checked(ID_SPRING));
    EXPECT_TRUE(Checked(ID_TRUNK_CUSTOM));
    // The design keeps the names: saved again, the file is as it was.
    Command(ID_SAVE);
    EXPECT_EQ(grovewright::test::ReadFileBytes(folder.File("design.xml")), saved);
}
