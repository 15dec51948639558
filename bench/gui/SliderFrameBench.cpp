// Time from a slider event to the finished frame in the real window: the
// Iteration slider's thumb-track event on a 10-level simple tree in Full 3D
// (rebuild, mesh, display-list compile, render, swap). Needs an X display:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/grovewright_gui_bench
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/utils.h>

#include "app/MainFrame.h"
#include "generators/gui/SimpleGrovewright.h"
#include "render/gui/GrovewrightDrawPanelGL.h"

namespace {

MainFrame* frame = nullptr;

class BenchApp : public wxApp {
public:
    bool OnInit() override {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_XPM)) wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

void BM_SliderEventToFrame(benchmark::State& state) {
    auto& page = *static_cast<SimpleGrovewright*>(frame->Generators().front());
    page.SetHeight(300);
    page.SetHeightReduction(70);
    page.SetDiameter(20);
    page.SetDivision(8);
    page.SetSpreadAngle(60);
    page.SetTwistAngle(90);
    wxCommandEvent full(wxEVT_MENU, ID_MODE_FULL_3D);
    frame->ProcessWindowEvent(full);
    wxSlider* slider = page.Row("Iteration").Slider();
    const int iteration = static_cast<int>(state.range(0));
    for (auto _ : state) {
        slider->SetValue(iteration);
        wxScrollEvent event(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), iteration, wxHORIZONTAL);
        event.SetEventObject(slider);
        slider->ProcessWindowEvent(event);
        glFinish();  // the frame is complete, not just queued
    }
    state.counters["triangles"] = frame->DrawPanel().GetTreeTriangles();
}
BENCHMARK(BM_SliderEventToFrame)->Arg(10)->Arg(12)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    frame = new MainFrame(nullptr, wxEmptyString);
    frame->Show(true);
    frame->SetSize(100, 100, 800, 550);
    for (int i = 0; i < 200 && !frame->IsShownOnScreen(); ++i) {
        wxYield();
        wxMilliSleep(10);
    }
    frame->LayoutWindows();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
