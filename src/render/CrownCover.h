#pragma once

#include <array>

#include "render/ModelSink.h"
#include "render/PixelImage.h"

namespace grovewright {

// How closed a crown is, from four sides: the tree's model drawn in parallel
// projection from the front, the right, the back and the left (turned about
// the vertical by 0, 90, 180 and 270 degrees), over the height where its
// leaves are (or the whole tree without leaves). A pixel lies inside the
// crown's outline when covered, or when covered pixels lie on both sides of it
// in its row and in its column; the shares are of those pixels.
struct CrownSide {
    double sky = 0.0;     // inside the outline, covered by nothing
    double leaves = 0.0;  // nearest is a leaf
    double wood = 0.0;    // nearest is bark or a cut end
};
struct CrownCover {
    std::array<CrownSide, 4> sides;
    int width = 0, height = 0;  // of each side's picture, pixels
    // The mean sky share of the four sides.
    double Sky() const { return (sides[0].sky + sides[1].sky + sides[2].sky + sides[3].sky) / 4.0; }
};

// Measures the model; a leaf covers a pixel where leafImage (RGBA, as the
// leaves are textured; null or without alpha: the whole leaf) is at least half
// opaque. resolution: the pictures' longer side in pixels.
CrownCover MeasureCrownCover(const TreeModel& model, const PixelImage* leafImage, int resolution = 400);

}  // namespace grovewright
