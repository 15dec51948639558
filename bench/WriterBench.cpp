// Export writer throughput: a million DXF faces (28 million lines) and a million
// DirectX vertices, written to a real file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>

#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"

namespace {

std::string BenchPath(const char* name) {
    const char* tmp = getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/grovewright-bench-" + name;
}

void BM_DXFMillionFaces(benchmark::State& state) {
    const std::string path = BenchPath("faces.dxf");
    grovewright::TGDXFFileWriter writer;
    for (auto _ : state) {
        writer.SetFileName(path);
        writer.Open();
        writer.BeginEntitiesSection();
        for (int face = 0; face < 1000000; ++face) {
            writer.Begin3DFace();
            writer.WriteLayer(1);
            const double base = face * 0.0001;
            for (int corner = 0; corner < 4; ++corner) {
                writer.WriteX(base + corner * 0.013);
                writer.WriteY(1.25 - base);
                writer.WriteZ(-0.5 * base);
            }
            writer.ResetCoordinateCodes();
        }
        writer.EndSection();
        if (!writer.Close()) state.SkipWithError(writer.LastError().c_str());
    }
    unlink(path.c_str());
}
BENCHMARK(BM_DXFMillionFaces)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DirectXMillionVertices(benchmark::State& state) {
    const std::string path = BenchPath("vertices.x");
    grovewright::TGDirectXFileWriter writer;
    constexpr int kVertices = 1000000;
    for (auto _ : state) {
        writer.SetFileName(path);
        writer.Open();
        writer.BeginMesh(kVertices);
        for (int v = 0; v < kVertices; ++v) writer.WriteVector(v * 0.001, 2.5 - v * 0.0001, -v * 0.002, v + 1 == kVertices);
        writer.BeginFaces(kVertices - 2);
        writer.SetFaceSize(3);
        for (int k = 0; k < kVertices - 2; ++k) {
            writer.WriteFaceIndex(k);
            writer.WriteFaceIndex(k + 1);
            writer.WriteFaceIndex(k + 2);
        }
        if (!writer.Close()) state.SkipWithError(writer.LastError().c_str());
    }
    unlink(path.c_str());
}
BENCHMARK(BM_DirectXMillionVertices)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
