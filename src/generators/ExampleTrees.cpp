#include "generators/ExampleTrees.h"

namespace grovewright {

// The files' texts, in the order of the table below (generated from examples/).
extern const std::string_view kExampleProjects[kExampleTreeCount];

const ExampleTree& ExampleTreeAt(int index) {
    static const ExampleTree kGallery[kExampleTreeCount] = {
        {"oak", "oak.regular.xml", 0, 0, kExampleProjects[0]},
        {"birch", "birch.complex.xml", 1, 0, kExampleProjects[1]},
        {"spruce", "spruce.complex.xml", 0, 2, kExampleProjects[2]},
        {"pine", "pine.complex.xml", 0, 2, kExampleProjects[3]},
        {"willow", "willow.regular.xml", 0, 0, kExampleProjects[4]},
        {"palm", "palm.complex.xml", 0, 0, kExampleProjects[5]},
        {"shrub", "shrub.regular.xml", 0, 0, kExampleProjects[6]},
        {"sapling", "sapling.simple.xml", 0, 0, kExampleProjects[7]},
    };
    return kGallery[index];
}

}  // namespace grovewright
