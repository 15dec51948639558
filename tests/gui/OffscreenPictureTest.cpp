// The command-line tool draws off screen with the program's own drawing code:
// its pictures match what the program shows.
#include <wx/filedlg.h>
#include <wx/image.h>

#include <cstdlib>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "render/XpmImage.h"

namespace {

#include "render/GlyphFont.xpm"

// The share of pixels whose colour differs at all between the program's picture
// (rows from the bottom up) and a picture file (rows from the top down).
double DifferingShare(const grovewright::PixelImage& shown, const wxImage& file) {
    int differing = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const std::uint8_t* p = shown.At(shown.height - 1 - y, x);
            differing += p[0] != file.GetRed(x, y) || p[1] != file.GetGreen(x, y) || p[2] != file.GetBlue(x, y);
        }
    return static_cast<double>(differing) / (shown.width * shown.height);
}

std::string Cli() { return GROVEWRIGHT_CLI; }

}  // namespace

TEST_F(FrameTest, CommandLineRenderMatchesTheProgramsView) {
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(GROVEWRIGHT_EXAMPLES "/broadleaf-tree.xml"));
    frame->TreeNotebook()->SetSelection(1);
    Pump();
    Command(ID_MODE_FULL_3D);
    Command(ID_LIGHT_ON);
    const grovewright::PixelImage shown = View().ReadPixels();
    ASSERT_GT(shown.width, 100);

    grovewright::test::TempFolder folder;
    const std::string png = folder.File("view.png");
    const std::string command = Cli() + " render " GROVEWRIGHT_EXAMPLES "/broadleaf-tree.xml --generator regular" +
                                " --mode full3d --lighting on --size " + std::to_string(shown.width) + "x" +
                                std::to_string(shown.height) + " -o " + png + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    const wxImage picture(wxString::FromUTF8(png), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(picture.IsOk());
    ASSERT_EQ(picture.GetWidth(), shown.width);
    ASSERT_EQ(picture.GetHeight(), shown.height);
    EXPECT_LT(DifferingShare(shown, picture), 0.01);
}

TEST(GlyphFont, DecodesAsTheToolkitReadsIt) {
    const grovewright::PixelImage decoded = grovewright::DecodeXpm(GlyphFont_xpm);
    const wxImage read = wxImage(GlyphFont_xpm).Mirror(false);
    ASSERT_EQ(decoded.width, read.GetWidth());
    ASSERT_EQ(decoded.height, read.GetHeight());
    EXPECT_TRUE(std::equal(decoded.pixels.begin(), decoded.pixels.end(), read.GetData()));
}

// The view keeps its meshes as client arrays on this software renderer and in
// buffer objects on hardware: both draw the same pixels, in every mode.
TEST_F(FrameTest, BufferObjectsAndClientArraysDrawTheSamePicture) {
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(GROVEWRIGHT_EXAMPLES "/broadleaf-tree.xml"));
    frame->TreeNotebook()->SetSelection(1);
    Pump();
    for (int mode : {ID_MODE_LINE, ID_MODE_WIRE_FRAME, ID_MODE_FULL_3D}) {
        SCOPED_TRACE(mode);
        Command(mode);
        const grovewright::PixelImage arrays = View().ReadPixels();
        EXPECT_FALSE(View().GetTreeList().UsesBuffers());
        GLMesh::SetBuffersOnSoftwareRenderers(true);
        View().DeleteDisplayLists();
        View().Redraw(0);
        EXPECT_TRUE(View().GetTreeList().UsesBuffers());
        const grovewright::PixelImage buffers = View().ReadPixels();
        GLMesh::SetBuffersOnSoftwareRenderers(false);
        View().DeleteDisplayLists();
        View().Redraw(0);
        ASSERT_GT(arrays.width, 100);
        EXPECT_TRUE(buffers.pixels == arrays.pixels);
        EXPECT_TRUE(View().ReadPixels().pixels == arrays.pixels);
    }
}
