// The example projects load in the program, grow with their own generator and
// carry leaves.
#include <wx/filedlg.h>

#include <cctype>
#include <string>

#include "GuiTestSupport.h"

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
                                         Example{"oak.regular.xml", 1, 806, 19},
                                         Example{"birch.complex.xml", 2, 299, 16},
                                         Example{"spruce.complex.xml", 2, 1057, 21},
                                         Example{"pine.complex.xml", 2, 295, 16},
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
