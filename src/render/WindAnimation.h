#pragma once

#include "generators/LeafGenerator.h"
#include "render/ModelSink.h"
#include "render/TreeViewParameters.h"

namespace grovewright {

// The view's wind preview: the tree and its leaves made once in the view's order
// with their wind weights (WindWeights), then moved for any moment by the same
// sway an engine plays from the exported weights: the whole tree bending with
// the wind, each branch swinging in its own phase, leaves fluttering.
class WindAnimation {
public:
    WindAnimation(const SkeletonLevels& skeleton, const LeafStore& leaves, const LeafGeneratorModel& leafPages,
                  const TreeViewParameters& view);

    // The tree at this moment (seconds) in a wind of this strength (0 .. 1)
    // into moved, whose arrays are reused from frame to frame: it must start
    // empty for each animation.
    void Pose(double seconds, double strength, TreeModel& moved) const;

private:
    TreeModel rest_;
    float height_ = 0;  // the tree's height, metres: the sway grows with it
};

}  // namespace grovewright
