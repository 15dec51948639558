// A project file through the design's load, then every generator's growth, the
// leaves and the mesh builder into a counting sink, with the design's memory
// budget small enough that the fuzzer stays fast (bigger valid designs are
// refused by that budget, as the program and the tool refuse them); then the
// load undone and done again.
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "generators/TreeDesign.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

using namespace grovewright;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TreeDesign design;
    design.SetMemoryBudget(std::size_t{16} << 20);
    TGXMLFileReader reader;
    std::string error;
    if (!design.Load(reader, WriteInput(data, size, "xml"), error, nullptr)) return 0;
    for (int g = 0; g < TreeDesign::kGeneratorCount; ++g) {
        design.SetActiveGenerator(g);
        MeshBuilder builder(design.Skeleton(), design.Leaves(), design.View());
        CountingSink counts;
        builder.BuildTree(counts, true);
    }
    design.Undo();
    design.Redo();
    return 0;
}
