// Time from a slider event to the finished frame in the real 800 x 550 window,
// in Full 3D: a Height slider step on the sapling example with its leaves grown
// to 10, 12 or 14 levels at Division 8 (growth, leaves, meshes, upload, render,
// swap), and a leaf slider's step on a 14-level tree with five leaf pages
// (leaves, leaf mesh, render). Needs an X display:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/grovewright_gui_bench
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "app/FreedMemory.h"
#include "app/MainFrame.h"
#include "generators/ExampleTrees.h"
#include "generators/gui/LeafCreator.h"
#include "generators/gui/SimpleGrovewright.h"
#include "io/TGXMLFileReader.h"
#include "panels/LeafSetupPanel.h"
#include "panels/SliderRow.h"
#include "render/MeshBuilder.h"
#include "render/ModelSink.h"
#include "render/ViewTransform.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

namespace {

MainFrame* frame = nullptr;

class BenchApp : public wxApp {
public:
    bool OnInit() override {
        grovewright::KeepFreedMemory();  // as the program does
        if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

void MoveSlider(wxSlider* slider, int value) {
    slider->SetValue(value);
    wxScrollEvent event(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), value, wxHORIZONTAL);
    event.SetEventObject(slider);
    slider->ProcessWindowEvent(event);
}

void Command(int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    frame->ProcessWindowEvent(command);
}

// Runs the command that replaces the design without asking to save the one before.
void Replace(int id) {
    frame->Design().MarkSaved();
    Command(id);
}

// The sapling example's values for these figures: Division 8, straight,
// unvaried branches and one leaf a shoot (the tree they have always been
// measured on: 321,520 triangles at Iteration 12). Values only: the next
// applied edit grows it.
void SetSaplingValues(grovewright::TreeDesign& design) {
    using namespace grovewright;
    for (int i = 0; i < GrowthSetup::kCount; ++i)
        design.Set(ParameterId::Growth(0, i), GrowthSetup::kParameters[i].initial);
    design.Set(ParameterId::Base(0, BaseSetup::kDivision), 8);
    for (int page = 0; page < LeafGeneratorModel::kPageCount; ++page)
        design.Set(ParameterId::Leaf(page, LeafSetup::kShootLeaves), 1);
}

// The sapling example (the simple generator with two leaf pages) with the
// values above, grown to the given iteration and shown in Full 3D.
SimpleGrovewright& ShowSapling(int iteration) {
    for (int i = 0; i < grovewright::kExampleTreeCount; ++i)
        if (std::strcmp(grovewright::ExampleTreeAt(i).name, "sapling") == 0) Replace(ID_EXAMPLE_FIRST + i);
    SetSaplingValues(frame->Design());
    auto& page = *static_cast<SimpleGrovewright*>(frame->Generators().front());
    Command(ID_MODE_FULL_3D);
    MoveSlider(page.Row("Iteration").Slider(), iteration);
    return page;
}

void BM_SliderEventToFrame(benchmark::State& state) {
    SimpleGrovewright& page = ShowSapling(static_cast<int>(state.range(0)));
    // Every step in full: this is the whole step's cost (BM_DragFrames times the lighter one).
    frame->DrawPanel().SetLighterWhileDragging(false);
    // A step that changes the value: an event that changes nothing does no work.
    wxSlider* slider = page.Row("Height").Slider();
    const int start = slider->GetValue();
    int height = start;
    for (auto _ : state) {
        height = height == start ? start + 1 : start;
        MoveSlider(slider, height);
        glFinish();  // the frame is complete, not just queued
    }
    state.counters["triangles"] = frame->DrawPanel().GetTreeTriangles();
    state.counters["leaf triangles"] = frame->DrawPanel().GetLeafTriangles();
}
BENCHMARK(BM_SliderEventToFrame)->Arg(10)->Arg(12)->Arg(14)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The same step up to the GL driver, without the window: the design applies the
// edit (growth and leaves) and the view's two meshes are made as the view makes
// them, with freed memory kept as the program keeps it. The window's step above
// is this and the driver's drawing. Timed as elapsed time: the meshes are made
// on several threads.
void BM_SliderStepBeforeDrawing(benchmark::State& state) {
    using namespace grovewright;
    TreeDesign design;
    TGXMLFileReader reader;
    std::string error;
    if (!design.LoadAsNew(reader, std::string(GROVEWRIGHT_EXAMPLES) + "/sapling.simple.xml", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SetSaplingValues(design);
    design.Set(ParameterId::Base(0, BaseSetup::kIteration), state.range(0));
    const ParameterId height = ParameterId::Base(0, BaseSetup::kHeight);
    const int start = design.Get(height);
    std::size_t triangles = 0;
    for (auto _ : state) {
        design.Apply(height, design.Get(height) == start ? start + 1 : start);
        TreeModel model;
        ModelSink sink(model, ModelSink::Order::kView);
        MeshBuilder(design.Skeleton(), design.Leaves(), design.View()).BuildTree(sink, false);
        if (!design.Leaves().Empty()) sink.Leaves(design.Leaves()[0], ViewTransform(design.View()));
        triangles = model.bark.TriangleCount() + model.caps.TriangleCount() + model.leaves.TriangleCount();
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}
BENCHMARK(BM_SliderStepBeforeDrawing)->Arg(10)->Arg(12)->Arg(14)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->UseRealTime()->ReportAggregatesOnly(true);

// The same trees drawn again without any change (as a camera drag draws them):
// what a frame costs the GL driver alone. The CPU column is the whole process's
// processor time (the driver's own threads too): on a software renderer no frame
// can take less than that divided by the number of processors.
void BM_RedrawUnchanged(benchmark::State& state) {
    ShowSapling(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        frame->DrawPanel().Redraw(1);
        glFinish();
    }
}
BENCHMARK(BM_RedrawUnchanged)->Arg(12)->Arg(14)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->MeasureProcessCPUTime()->UseRealTime()->ReportAggregatesOnly(true);

// The leaf benchmark's design: the core benchmarks' simple tree (Height 300,
// HeightReduction 70, Diameter 40, DiameterReduction 80, Division 8, Spread 60,
// Twist 90) of Iteration 14 with five leaf pages of LeafSplit 3 and
// SegmentCount 10 over the three outermost levels; the step moves page 1's Add
// Angle between 30 and 31.
void SetLeafDesign(grovewright::TreeDesign& design) {
    using namespace grovewright;
    for (auto [index, value] : {std::pair{BaseSetup::kHeight, 300}, {BaseSetup::kHeightReduction, 70},
                                {BaseSetup::kDiameter, 40}, {BaseSetup::kDiameterReduction, 80},
                                {BaseSetup::kDivision, 8}})
        design.Set(ParameterId::Base(0, index), value);
    design.Set(ParameterId::Simple(SimpleSetup::kSpreadAngle), 60);
    design.Set(ParameterId::Simple(SimpleSetup::kTwistAngle), 90);
    for (int i = 0; i < 5; ++i) {
        for (auto [index, value] : {std::pair<int, int>{LeafSetup::kUseLeaf, 1}, {LeafSetup::kLeafSplit, 3},
                                    {LeafSetup::kSegmentCount, 10}, {LeafSetup::kRelativAddDownTo, 2},
                                    {LeafSetup::kSplitAngle, 5 * i}, {LeafSetup::kAddAngle, 30 + 10 * i},
                                    {LeafSetup::kOriAngle, 72 * i}})
            design.Set(ParameterId::Leaf(i, index), value);
    }
    // Set changes values only; the applied edit grows the tree and its leaves.
    design.Apply(ParameterId::Base(0, BaseSetup::kIteration), 14);
}

void ShowLeafDesign() {
    Replace(ID_NEW_PROJECT);
    Command(ID_MODE_FULL_3D);
    SetLeafDesign(frame->Design());
}

void BM_LeafSliderStepToFrame(benchmark::State& state) {
    ShowLeafDesign();
    frame->DrawPanel().SetLighterWhileDragging(false);
    wxSlider* slider = frame->Leaves().Page(0).Row("AddAngle").Slider();
    int angle = 30;
    for (auto _ : state) {
        angle = angle == 30 ? 31 : 30;
        MoveSlider(slider, angle);
        glFinish();
    }
    state.counters["leaf triangles"] = frame->DrawPanel().GetLeafTriangles();
}
BENCHMARK(BM_LeafSliderStepToFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The leaf design drawn again without any change: the GL driver's share of a
// step, with the whole process's processor time as above.
void BM_LeafRedrawUnchanged(benchmark::State& state) {
    ShowLeafDesign();
    for (auto _ : state) {
        frame->DrawPanel().Redraw(1);
        glFinish();
    }
}
BENCHMARK(BM_LeafRedrawUnchanged)->Unit(benchmark::kMillisecond)->Repetitions(5)->MeasureProcessCPUTime()
    ->UseRealTime()->ReportAggregatesOnly(true);

// The same step up to the GL driver, without the window: the design
// regenerates page 1's leaves in place and the view's leaf mesh is rewritten
// where they changed, as the view does it.
void BM_LeafStepBeforeDrawing(benchmark::State& state) {
    using namespace grovewright;
    TreeDesign design;
    const std::vector<std::uint32_t>* changed = nullptr;
    design.AddObserver([&](const DesignChange& change) { changed = change.leafPolygonsChanged; });
    SetLeafDesign(design);
    TreeModel model;
    ModelSink(model, ModelSink::Order::kView).Leaves(design.Leaves()[0], ViewTransform(design.View()));
    const ParameterId angle = ParameterId::Leaf(0, LeafSetup::kAddAngle);
    for (auto _ : state) {
        changed = nullptr;
        design.Apply(angle, design.Get(angle) == 30 ? 31 : 30);
        if (!changed || !ModelSink(model, ModelSink::Order::kView)
                              .RewriteLeaves(design.Leaves()[0], ViewTransform(design.View()), *changed)) {
            state.SkipWithError("the leaves were not rewritten in place");
            return;
        }
    }
    state.counters["leaf triangles"] = static_cast<double>(model.leaves.TriangleCount());
}
BENCHMARK(BM_LeafStepBeforeDrawing)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One frame of the wind preview on every gallery species in Full 3D: the tree
// and its leaves moved, uploaded, drawn and swapped, in the window's view as
// the user sees it. 30 frames a second need 33 ms or less.
void BM_WindFrame(benchmark::State& state) {
    Replace(ID_EXAMPLE_FIRST + static_cast<int>(state.range(0)));
    Command(ID_WIND);
    double seconds = 0;
    frame->DrawPanel().DrawWindFrame(seconds);  // the rest model is made once
    for (auto _ : state) {
        seconds += 1.0 / 30;
        if (!frame->DrawPanel().DrawWindFrame(seconds)) state.SkipWithError("the wind preview is paused");
        glFinish();
    }
    Command(ID_WIND);
    state.counters["triangles"] = frame->DrawPanel().GetTreeTriangles() + frame->DrawPanel().GetLeafTriangles();
    const wxSize view = frame->DrawPanel().GetClientSize();
    state.counters["pixels"] = view.x * view.y;
}
BENCHMARK(BM_WindFrame)->ArgName("example")->DenseRange(0, grovewright::kExampleTreeCount - 1)
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The wind preview as it runs in the window, by its own timer, for two seconds:
// the frames it shows a second (30 is the aim).
void BM_WindPreviewRate(benchmark::State& state) {
    Replace(ID_EXAMPLE_FIRST + static_cast<int>(state.range(0)));
    double rate = 0;
    for (auto _ : state) {
        Command(ID_WIND);
        const long before = frame->DrawPanel().FramesShown();
        wxStopWatch clock;
        while (clock.Time() < 2000) {
            wxYield();
            wxMilliSleep(1);
        }
        rate = (frame->DrawPanel().FramesShown() - before) * 1000.0 / clock.Time();
        Command(ID_WIND);
    }
    state.counters["frames_per_second"] = rate;
}
BENCHMARK(BM_WindPreviewRate)->ArgName("example")->DenseRange(0, grovewright::kExampleTreeCount - 1)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The regular generator with every page on over every level (each page doubles
// the tree), Iteration 17 at Division 12: 131,071 segments, 3.1 M triangles.
void ShowLargeRegularDesign() {
    using namespace grovewright;
    Replace(ID_NEW_PROJECT);
    TreeDesign& design = frame->Design();
    frame->TreeNotebook()->SetSelection(1);
    wxYield();
    for (auto [index, value] : {std::pair{BaseSetup::kHeight, 300}, {BaseSetup::kDiameter, 40},
                                {BaseSetup::kDiameterReduction, 80}, {BaseSetup::kDivision, 12}})
        design.Set(ParameterId::Base(1, index), value);
    for (int page = 0; page < 17; ++page) {
        for (auto [index, value] : {std::pair<int, int>{BranchSetup::FlagIndex(BranchSetup::kUseBranch), 1},
                                    {BranchSetup::kAddAngle, 30 + page}, {BranchSetup::kOriAngle, 37 * page % 360},
                                    {BranchSetup::kRelativAdd, 70}, {BranchSetup::kHeightReduction, 80},
                                    {BranchSetup::kDiameter, 20}})
            design.Set(ParameterId::Branch(1, page, index), value);
    }
    Command(ID_MODE_FULL_3D);
    design.Apply(ParameterId::Base(1, BaseSetup::kIteration), 17);
}

// A drag as a user makes it: 20 thumb-track steps of a Height slider, each
// timed from its event to the finished frame, then the release, timed to the
// whole design's frame; beside them a plain redraw of the whole design with its
// meshes made anew. Reports the steps' median and 90th percentile (ms), the
// release's frame, the plain redraw and the share of the design drawn at the
// last step. Arg: 0 the sapling at Iteration 12 with leaves, 1 the 3.1 M-triangle
// regular design, 2 + k the gallery's example k.
void BM_DragFrames(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    wxSlider* slider = nullptr;
    if (which == 0) {
        slider = ShowSapling(12).Row("Height").Slider();
    } else if (which == 1) {
        ShowLargeRegularDesign();
        slider = frame->Generators()[1]->Row("Height").Slider();
    } else {
        const int example = which - 2;
        Replace(ID_EXAMPLE_FIRST + example);
        Command(ID_MODE_FULL_3D);
        slider = frame->Generators()[frame->Design().ActiveGenerator()]->Row("Height").Slider();
    }
    GrovewrightDrawPanelGL& view = frame->DrawPanel();
    view.SetLighterWhileDragging(true);
    const int start = slider->GetValue();
    const int direction = start > 400 ? -1 : 1;
    std::vector<double> steps;
    double release = 0, redraw = 0, shown = 1;
    for (auto _ : state) {
        steps.clear();
        for (int step = 1; step <= 20; ++step) {
            const wxStopWatch clock;
            MoveSlider(slider, start + direction * step);
            glFinish();
            steps.push_back(clock.TimeInMicro().ToDouble() / 1000.0);
        }
        shown = view.ShownDetail();
        wxStopWatch clock;
        wxScrollEvent released(wxEVT_SCROLL_THUMBRELEASE, slider->GetId(), slider->GetValue(), wxHORIZONTAL);
        released.SetEventObject(slider);
        slider->ProcessWindowEvent(released);
        glFinish();
        release = clock.TimeInMicro().ToDouble() / 1000.0;
        clock.Start();
        view.Redraw(0);
        glFinish();
        redraw = clock.TimeInMicro().ToDouble() / 1000.0;
        MoveSlider(slider, start);  // back, for the next repetition
        slider->ProcessWindowEvent(released);
    }
    std::sort(steps.begin(), steps.end());
    state.counters["step_median_ms"] = steps[steps.size() / 2 - 1] / 2 + steps[steps.size() / 2] / 2;
    state.counters["step_p90_ms"] = steps[steps.size() * 9 / 10 - 1];
    state.counters["release_ms"] = release;
    state.counters["full_redraw_ms"] = redraw;
    state.counters["drawn_share"] = shown;
    state.counters["triangles"] = view.GetTreeTriangles() + view.GetLeafTriangles();
}
BENCHMARK(BM_DragFrames)->ArgName("design")->Arg(0)->Arg(1)->Arg(2)->Arg(2 + 2)->Arg(2 + 4)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// A new main window to its first frame on the screen, as at launch (the
// toolkit is started already), closed again.
void BM_WindowToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        auto* window = new MainFrame(nullptr, wxEmptyString);
        window->Show(true);
        while (window->DrawPanel().FramesShown() == 0) wxYield();
        state.PauseTiming();
        window->Destroy();
        wxYield();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    // Every slider event is applied on its own: each iteration times one whole edit.
    SliderRow::SetSlowEditMilliseconds(std::numeric_limits<long>::max());
    frame = new MainFrame(nullptr, wxEmptyString);
    frame->Show(true);
    frame->SetSize(100, 100, 800, 550);
    for (int i = 0; i < 200 && !frame->IsShownOnScreen(); ++i) {
        wxYield();
        wxMilliSleep(10);
    }
    frame->LayoutWindows();
    // The toolkit gives the view its laid-out size only once its events run:
    // timing before that would draw into the canvas's first, smaller size.
    wxSize view;
    for (int stable = 0, i = 0; stable < 20 && i < 500; ++i) {
        wxYield();
        wxMilliSleep(5);
        const wxSize now = frame->DrawPanel().GetClientSize();
        stable = now == view ? stable + 1 : 0;
        view = now;
    }
    benchmark::AddCustomContext("view", std::to_string(view.x) + " x " + std::to_string(view.y));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
