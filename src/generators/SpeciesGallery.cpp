#include "generators/SpeciesGallery.h"

namespace grovewright {

// The files' texts, in the order of the table below (generated from examples/).
extern const std::string_view kSpeciesProjects[kSpeciesCount];

const Species& GallerySpecies(int index) {
    static const Species kGallery[kSpeciesCount] = {
        {"oak", "oak.regular.xml", 0, 0, kSpeciesProjects[0]},
        {"birch", "birch.complex.xml", 1, 0, kSpeciesProjects[1]},
        {"spruce", "spruce.complex.xml", 0, 2, kSpeciesProjects[2]},
        {"pine", "pine.complex.xml", 0, 2, kSpeciesProjects[3]},
        {"willow", "willow.regular.xml", 0, 0, kSpeciesProjects[4]},
        {"palm", "palm.complex.xml", 0, 0, kSpeciesProjects[5]},
        {"shrub", "shrub.regular.xml", 0, 0, kSpeciesProjects[6]},
        {"sapling", "sapling.simple.xml", 0, 0, kSpeciesProjects[7]},
    };
    return kGallery[index];
}

}  // namespace grovewright
