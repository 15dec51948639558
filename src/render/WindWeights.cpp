#include "render/WindWeights.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "generators/ShootGrowth.h"
#include "render/MeshBuilder.h"
#include "render/ModelSink.h"

namespace grovewright {

namespace {

// The phase of the branch the segment is a piece of: a hash of where the
// branch's first piece lies, the same for the same design.
float Phase(const BranchSegment& segment) {
    const BranchSegment* first = &segment;
    for (int piece = segment.Piece(); piece > 0; --piece) first = first->Parent();
    std::uint64_t hash = 0;
    for (double coordinate : {first->Start().x, first->Start().y, first->Start().z, first->End().x, first->End().y,
                              first->End().z}) {
        std::uint64_t bits;
        std::memcpy(&bits, &coordinate, sizeof bits);
        hash = ShootGrowth::Mix(hash ^ bits);
    }
    return static_cast<float>(hash >> 40) / static_cast<float>(1 << 24);
}

}  // namespace

WindWeights::WindWeights(const SkeletonLevels& skeleton, std::vector<LeafGeneratorModel::Place> places,
                         double thinnest)
    : levels_(static_cast<int>(skeleton.LevelCount())), places_(std::move(places)) {
    auto add = [&](const BranchSegment& segment, const Segment& weights) {
        if (MeshBuilder::HasSide(segment, thinnest)) sides_.push_back(weights);
        if (MeshBuilder::HasCap(segment, thinnest)) caps_.push_back(weights);
    };
    for (int level = 0; level < levels_; ++level) {
        for (const BranchSegment& segment : skeleton[level]) {
            const double pieces = segment.Pieces();
            add(segment, {BranchWeight(level, segment.Piece() / pieces),
                          BranchWeight(level, (segment.Piece() + 1) / pieces), Phase(segment)});
        }
    }
    // Roots hold still, in the order the mesh builder draws them: after the levels.
    for (const BranchSegment& segment : skeleton.Roots()) add(segment, {0, 0, 0});
}

float WindWeights::BranchWeight(int level, double fraction) const {
    if (levels_ < 2) return 0;
    return static_cast<float>(fraction * level / (levels_ - 1));
}

WindWeights::Segment WindWeights::Leaf(std::size_t i) const {
    // Leaves not made by the leaf generator from this skeleton have no place: they sway with the tree only.
    if (i >= places_.size()) return {0, 0, 0};
    const LeafGeneratorModel::Place& place = places_[i];
    const float weight = BranchWeight(place.level, place.fraction);
    return {weight, weight, Phase(*place.branchEnd)};
}

void WindWeights::FinishTreeWeights(TreeModel& model) {
    MeshPart* parts[3] = {&model.bark, &model.caps, &model.leaves};
    float height = 0;
    for (const MeshPart* part : parts)
        if (!part->Empty()) height = std::max(height, part->maximum[1]);
    for (MeshPart* part : parts) {
        for (std::size_t v = 0; v < part->wind.size() / 4; ++v)
            part->wind[4 * v] = TreeWeight(part->positions[3 * v + 1], height);
    }
}

}  // namespace grovewright
