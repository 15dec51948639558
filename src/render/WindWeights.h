#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "generators/LeafGenerator.h"
#include "geometry/SkeletonLevels.h"

namespace grovewright {

struct TreeModel;

// The wind weights a model's vertices carry, four floats each, all 0 .. 1:
//   x  tree:    how much the vertex sways with the whole tree: 0 at the ground,
//               rising with height as (height / tree height)^2, as a trunk bends;
//   y  branch:  how much it sways with its own branch: 0 at the branch's base,
//               rising along it to level / (levels - 1) at its tip (0 on the trunk);
//   z  phase:   the branch's own phase, stable for the same design, so that
//               branches do not move in step; a leaf takes its branch's;
//   w  flutter: 0 where a leaf sits on its branch, 1 at its tip; 0 on bark.
// The per-branch values of every part of the mesh, in the order the mesh
// builder walks it; the tree weight follows from the finished model's heights.
class WindWeights {
public:
    // places: the leaves' places (LeafGeneratorModel::Places), in list order;
    // thinnest: the mesh builder's (MeshBuilder::SkipThinnerThan).
    WindWeights(const SkeletonLevels& skeleton, std::vector<LeafGeneratorModel::Place> places, double thinnest = 0);

    // A segment's branch weight at its bottom and top ring and its phase.
    struct Segment {
        float bottom, top, phase;
    };
    // Strip i (the i-th segment of non-zero length) and cap i (the i-th cut segment).
    const Segment& Side(std::size_t i) const { return sides_[i]; }
    const Segment& Cap(std::size_t i) const { return caps_[i]; }
    // Leaf strip i: the branch weight where the leaf sits (bottom and top) and the branch's phase.
    Segment Leaf(std::size_t i) const;

    // Fills the tree weight (x) of every vertex of the model's parts that carry wind.
    static void FinishTreeWeights(TreeModel& model);
    // The tree weight at this height of a tree this high.
    static float TreeWeight(float height, float treeHeight) {
        const float relative = treeHeight > 0 ? std::clamp(height / treeHeight, 0.0f, 1.0f) : 0.0f;
        return relative * relative;
    }

private:
    // The branch weight at this fraction of a branch of this level.
    float BranchWeight(int level, double fraction) const;

    int levels_;
    std::vector<Segment> sides_;
    std::vector<Segment> caps_;
    std::vector<LeafGeneratorModel::Place> places_;
};

}  // namespace grovewright
