// The example projects load in the program, grow with their own generator and
// carry leaves. With GROVEWRIGHT_SCREENSHOT_DIR set, each is photographed in
// Full 3D, lit (the pictures in docs/ come from here).
#include <wx/filedlg.h>

#include <cstdlib>

#include "GuiTestSupport.h"

namespace {

struct Example {
    const char* file;
    int tab;
    std::size_t minimumSegments;
    int minimumLevels;
};

// A right-button drag upwards on the view zooms in by 0.025 units per pixel.
void ZoomIn(GrovewrightDrawPanelGL& view, int pixels) {
    wxMouseEvent down(wxEVT_RIGHT_DOWN);
    down.m_x = 100, down.m_y = pixels, down.m_rightDown = true;
    view.ProcessWindowEvent(down);
    wxMouseEvent drag(wxEVT_MOTION);
    drag.m_x = 100, drag.m_y = 0, drag.m_rightDown = true;
    view.ProcessWindowEvent(drag);
}

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
    if (const char* folder = std::getenv("GROVEWRIGHT_SCREENSHOT_DIR")) {
        ZoomIn(View(), 440);
        View().Redraw(1);
        Pump();
        const wxPoint origin = frame->GetScreenPosition();
        const wxString shot = wxString::Format("import -window root -crop %dx%d+%d+%d +repage %s/%s.png", 800, 550,
                                               origin.x, origin.y, folder,
                                               wxString(example.file).BeforeLast('.'));
        EXPECT_EQ(std::system(shot.mb_str()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Projects, ExampleTest,
                         testing::Values(Example{"fractal-tree.xml", 0, 1023, 10},
                                         Example{"broadleaf-tree.xml", 1, 40, 8},
                                         Example{"conifer.xml", 2, 200, 12}),
                         [](const testing::TestParamInfo<Example>& info) {
                             return std::string(wxString(info.param.file).BeforeLast('.').Mid(0).mb_str()).substr(0, 4) +
                                    std::to_string(info.index);
                         });
