#include "render/WindAnimation.h"

#include <algorithm>
#include <cmath>

#include "render/MeshBuilder.h"
#include "render/WindWeights.h"

namespace grovewright {

WindAnimation::WindAnimation(const SkeletonLevels& skeleton, const LeafStore& leaves,
                             const LeafGeneratorModel& leafPages, const TreeViewParameters& view) {
    const WindWeights weights(skeleton, leafPages.Places(skeleton));
    ModelSink sink(rest_, ModelSink::Order::kView);
    sink.CarryWind(&weights);
    MeshBuilder(skeleton, leaves, view).BuildTree(sink, true);
    WindWeights::FinishTreeWeights(rest_);
    for (const MeshPart* part : {&rest_.bark, &rest_.caps, &rest_.leaves})
        if (!part->Empty()) height_ = std::max(height_, part->maximum[1]);
}

void WindAnimation::Pose(double seconds, double strength, TreeModel& moved) const {
    // The sways of the whole tree (slow) and of the branches and leaves (faster,
    // each in its phase); at full strength the crown's top moves 4 % of the height.
    const float reach = static_cast<float>(strength) * 0.04f * height_;
    const float t = static_cast<float>(seconds);
    const float tree = std::sin(t * 0.9f) + 0.3f * std::sin(t * 2.3f);
    constexpr float kTurn = 6.2831853f;
    for (auto [from, to] : {std::pair{&rest_.bark, &moved.bark}, {&rest_.caps, &moved.caps},
                            {&rest_.leaves, &moved.leaves}}) {
        // The first pose: all but the positions stays as at rest.
        if (to->indices.size() != from->indices.size()) *to = *from;
        const std::size_t vertices = from->VertexCount();
        const float* rest = from->positions.data();
        const float* wind = from->wind.data();
        float* out = to->positions.data();
        for (std::size_t v = 0; v < vertices; ++v, rest += 3, wind += 4, out += 3) {
            const float phase = kTurn * wind[2];
            const float branch = 0.3f * wind[1];
            out[0] = rest[0] + reach * (wind[0] * tree + branch * std::sin(t * 2.1f + phase));
            out[2] = rest[2] + reach * branch * std::cos(t * 1.7f + phase);
            out[1] = rest[1] + reach * 0.15f * wind[3] * std::sin(t * 9.0f + 5 * phase);
        }
    }
}

}  // namespace grovewright
