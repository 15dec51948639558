// A project file through the loader, then every generator's growth, the leaves
// and the mesh builder into a counting sink, for designs within a size budget
// (bigger valid designs are refused by that budget, as the tools refuse them).
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "generators/BranchTreeModel.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/TreeViewParameters.h"

using namespace grovewright;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kMaxTriangles = 200'000;
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leafPages;
    TGXMLFileReader reader;
    std::string error;
    if (!LoadProject(reader, WriteInput(data, size, "xml"), {&simple, &regular, &complex}, error, &leafPages))
        return 0;
    for (const TreeGeneratorModel* tree : {static_cast<const TreeGeneratorModel*>(&simple),
                                           static_cast<const TreeGeneratorModel*>(&regular),
                                           static_cast<const TreeGeneratorModel*>(&complex)}) {
        if (MeasureDesign(*tree, leafPages).Triangles() > kMaxTriangles) continue;
        SkeletonLevels skeleton;
        LeafStore leaves;
        TreeViewParameters view;
        tree->Rebuild(skeleton);
        view.Take(tree->Base());
        leafPages.Generate(skeleton, leaves);
        MeshBuilder builder(skeleton, leaves, view);
        CountingSink counts;
        builder.BuildTree(counts, true);
    }
    return 0;
}
