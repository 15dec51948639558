#include "generators/ExampleTrees.h"

namespace grovewright {

// The files' texts, in the order of the table below (generated from examples/).
extern const std::string_view kExampleProjects[kExampleTreeCount];

const ExampleTree& ExampleTreeAt(int index) {
    static const ExampleTree kGallery[kExampleTreeCount] = {
        {"oak", "oak.regular.xml", kExampleProjects[0]},
        {"birch", "birch.complex.xml", kExampleProjects[1]},
        {"spruce", "spruce.complex.xml", kExampleProjects[2]},
        {"pine", "pine.complex.xml", kExampleProjects[3]},
        {"willow", "willow.regular.xml", kExampleProjects[4]},
        {"palm", "palm.complex.xml", kExampleProjects[5]},
        {"shrub", "shrub.regular.xml", kExampleProjects[6]},
        {"sapling", "sapling.simple.xml", kExampleProjects[7]},
        {"maple", "maple.regular.xml", kExampleProjects[8]},
        {"poplar", "poplar.complex.xml", kExampleProjects[9]},
        {"cypress", "cypress.complex.xml", kExampleProjects[10]},
        {"acacia", "acacia.regular.xml", kExampleProjects[11]},
    };
    return kGallery[index];
}

}  // namespace grovewright
