#include "render/LevelsOfDetail.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <utility>

#include "io/BillboardImage.h"
#include "render/MeshBuilder.h"
#include "render/WindWeights.h"

namespace grovewright {

namespace {

using Place = LeafGeneratorModel::Place;

Vector3D PositionOf(const LeafVertex& v) { return {v.x, v.y, v.z}; }

// Appends the leaf of strips begin .. end - 1 to out, grown by grow squared in
// area about its own centre (the mean of its vertices), not about its stem:
// grown about the stem, every leaf would reach out from its branch and the tree
// would stand wider than the one it stands for. A long leaf (a needle) grows
// more across than along its spine, so that it does not reach out either; a
// leaf that would still stand out of the crown's box across (x and z), as at the
// edge of a narrow crown, is moved back inside it.
void AppendGrown(const LeafList& list, std::size_t begin, std::size_t end, double grow, const float crownLow[2],
                 const float crownHigh[2], LeafList& out) {
    Vector3D centre, base, tip;
    int count = 0, ends = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const LeafPolygon polygon = list[i];
        const int n = polygon.VertexCount();
        for (int k = 0; k < n; ++k, ++count) centre = centre + PositionOf(polygon[k]);
        if (n < 4) continue;
        base = base + PositionOf(polygon[0]) + PositionOf(polygon[1]);
        tip = tip + PositionOf(polygon[n - 2]) + PositionOf(polygon[n - 1]);
        ends += 2;
    }
    centre = centre * (1.0 / std::max(count, 1));
    // The spine runs from the middle of the strips' first pairs of vertices to the middle of their last.
    Vector3D spine = ends > 0 ? (tip - base) * (1.0 / ends) : Vector3D();
    const double length = Distance(spine, Vector3D());
    spine = length > 0 ? spine * (1.0 / length) : Vector3D();
    // The widest vertex off the spine, by squared distance (the root of the largest is the largest root).
    double widest = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const LeafPolygon polygon = list[i];
        for (int k = 0; k < polygon.VertexCount(); ++k) {
            const Vector3D d = PositionOf(polygon[k]) - centre, across = d - spine * Dot(d, spine);
            widest = std::max(widest, Dot(across, across));
        }
    }
    const double width = 2 * std::sqrt(widest);
    const double along = length > 0 ? std::clamp(grow * std::sqrt(width / length), 1.0, grow) : grow;
    const double across = grow * grow / along;
    auto grown = [&](const LeafVertex& vertex) {
        const Vector3D d = PositionOf(vertex) - centre;
        const Vector3D onSpine = spine * Dot(d, spine);
        return centre + onSpine * along + (d - onSpine) * across;
    };
    // The grown copies, and their box; a copy that leaves the crown's box is
    // written again, shifted back (rarely: at the crown's edge).
    const std::size_t first = out.size();
    double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
    auto write = [&](bool append, double shiftX, double shiftZ) {
        for (std::size_t i = begin; i < end; ++i) {
            const LeafPolygon source = list[i];
            const LeafPolygon copy = append ? out.Append(source.VertexCount(), source.PrimitiveMode(), source.Colour())
                                            : out[first + (i - begin)];
            for (int k = 0; k < source.VertexCount(); ++k) {
                const Vector3D p = grown(source[k]);
                low[0] = std::min(low[0], p.x), high[0] = std::max(high[0], p.x);
                low[1] = std::min(low[1], p.z), high[1] = std::max(high[1], p.z);
                LeafVertex v = source[k];
                v.x = static_cast<float>(p.x + shiftX), v.y = static_cast<float>(p.y),
                v.z = static_cast<float>(p.z + shiftZ);
                copy[k] = v;
            }
        }
    };
    write(true, 0, 0);
    double shift[2];
    for (int axis = 0; axis < 2; ++axis)
        shift[axis] = std::max(0.0, crownLow[axis] - low[axis]) - std::max(0.0, high[axis] - crownHigh[axis]);
    if (shift[0] != 0 || shift[1] != 0) write(false, shift[0], shift[1]);
}

// The first strip of every leaf of the list: a leaf is the run of strips one
// page put at one place of a branch; without places each strip is a leaf.
std::vector<std::size_t> LeafStarts(const LeafList& list, const std::vector<Place>& places) {
    std::vector<std::size_t> starts;
    const bool placed = places.size() == list.size();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!placed || i == 0 || places[i].branchEnd != places[i - 1].branchEnd ||
            places[i].fraction != places[i - 1].fraction)
            starts.push_back(i);
    starts.push_back(list.size());
    return starts;
}

// The bark's triangles per ring side: 2 for every side strip, 1 for every cap.
std::size_t BarkTrianglesPerSide(const SkeletonLevels& skeleton) {
    std::size_t triangles = 0;
    skeleton.ForEachSegment([&](const BranchSegment& segment) {
        triangles += (MeshBuilder::HasSide(segment, 0) ? 2 : 0) + (MeshBuilder::HasCap(segment, 0) ? 1 : 0);
    });
    return triangles;
}

// The diameter below which segments are left out so that the bark keeps about
// budget triangles: segments of one diameter (often a whole level) stay or go
// together, whichever comes nearer; the thickest always stay.
double ThinnestWithin(const SkeletonLevels& skeleton, int division, double budget) {
    std::map<double, double, std::greater<double>> costs;  // triangles by diameter, thickest first
    skeleton.ForEachSegment([&](const BranchSegment& segment) {
        costs[segment.Diameter()] += (MeshBuilder::HasSide(segment, 0) ? 2.0 : 0.0) * division +
                                     (MeshBuilder::HasCap(segment, 0) ? 1.0 : 0.0) * division;
    });
    double kept = 0;
    for (const auto& [diameter, cost] : costs) {
        if (kept > 0 && kept + cost > budget) {
            const bool nearer = kept + cost - budget < budget - kept;
            return nearer ? diameter : std::nextafter(diameter, std::numeric_limits<double>::infinity());
        }
        kept += cost;
    }
    return 0;
}

}  // namespace

LevelsOfDetail::LevelsOfDetail(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view,
                               std::vector<Place> places, bool withLeaves)
    : skeleton_(skeleton), leaves_(leaves), view_(view), places_(std::move(places)),
      withLeaves_(withLeaves && !leaves.Empty()) {
    if (withLeaves_) leafStarts_ = LeafStarts(leaves_[0], places_);
    barkPerSide_ = static_cast<double>(BarkTrianglesPerSide(skeleton));
    all_ = barkPerSide_ * view.Division() + LeafTriangles(1);
}

double LevelsOfDetail::LeafTriangles(int step) const {
    const auto known = leafCounts_.find(step);
    if (known != leafCounts_.end()) return known->second;
    return leafCounts_[step] = withLeaves_ ? static_cast<double>(ReduceLeaves(step, nullptr, nullptr)) : 0.0;
}

const LevelsOfDetail::Plan& LevelsOfDetail::PlanOf(int level) const {
    if (!plans_[level]) plans_[level] = PlanFor(kShares[level]);
    return *plans_[level];
}

LevelsOfDetail::Plan LevelsOfDetail::PlanFor(double share) const {
    const int division = view_.Division();
    if (share >= 1) return {division, 0, 1};
    auto barkTriangles = [&](int sides) { return barkPerSide_ * sides; };
    const int fewestSides = std::min(division, 3);
    const int steps = withLeaves_ ? std::max(1, static_cast<int>(std::lround(1 / share))) : 1;
    // Leaves are what a tree is seen by from afar: they keep as many as fewer ring
    // sides alone can pay for (a bark-heavy tree such as the spruce keeps all its
    // needles), within four fifths of the share.
    for (int step = 1; step < steps; ++step) {
        const double budget = share * all_ - LeafTriangles(step);
        for (int sides = division; sides >= fewestSides; --sides) {
            const double bark = barkTriangles(sides);
            if (bark <= budget && bark + LeafTriangles(step) >= 0.8 * share * all_) return {sides, 0, step};
        }
    }
    // Otherwise a step-th of the leaves, a step-th of the sides and, where that is
    // not enough, the thinnest branches left out.
    Plan plan;
    plan.leafStep = steps;
    plan.division = std::clamp(static_cast<int>(std::lround(division * share)), fewestSides, division);
    const double budget = share * all_ - LeafTriangles(plan.leafStep);
    plan.thinnest = barkTriangles(plan.division) <= budget ? 0 : ThinnestWithin(skeleton_, plan.division, budget);
    return plan;
}

std::size_t LevelsOfDetail::ReduceLeaves(int step, LeafStore* leaves, std::vector<Place>* places) const {
    const LeafList& list = leaves_[0];
    LeafList* reduced = leaves ? &leaves->AppendList() : nullptr;
    if (reduced) reduced->SetTinted(list.Tinted());
    const bool placed = places && places_.size() == list.size();
    const std::vector<std::size_t>& starts = leafStarts_;
    std::size_t triangles = 0;
    // Fewer leaves, each larger: step^0.8 times the area, not step times, since
    // the many leaves of the full tree hide each other in part and cover less
    // than their area, while the fewer ones overlap less.
    const double grow = std::pow(step, 0.4);
    // The crown's box across, which grown leaves keep within.
    float crownLow[2] = {HUGE_VALF, HUGE_VALF}, crownHigh[2] = {-HUGE_VALF, -HUGE_VALF};
    for (std::size_t i = 0; reduced && i < list.size(); ++i) {
        const LeafPolygon polygon = list[i];
        for (int k = 0; k < polygon.VertexCount(); ++k) {
            const LeafVertex& v = polygon[k];
            crownLow[0] = std::min(crownLow[0], v.x), crownHigh[0] = std::max(crownHigh[0], v.x);
            crownLow[1] = std::min(crownLow[1], v.z), crownHigh[1] = std::max(crownHigh[1], v.z);
        }
    }
    for (std::size_t leaf = 0; leaf + 1 < starts.size(); ++leaf) {
        const LeafPolygon first = list[starts[leaf]];
        const int columns = first.VertexCount() / 2;
        // A long leaf (a frond) keeps its place and loses segments along its spine;
        // small leaves go, one of every step staying.
        if (columns - 1 >= kLongLeafSegments && step > 1) {
            const int kept = std::max(1, static_cast<int>(std::lround(static_cast<double>(columns - 1) / step)));
            triangles += (starts[leaf + 1] - starts[leaf]) * 2 * static_cast<std::size_t>(kept);
            if (!reduced) continue;
            for (std::size_t i = starts[leaf]; i < starts[leaf + 1]; ++i) {
                const LeafPolygon source = list[i];
                const LeafPolygon copy = reduced->Append(2 * (kept + 1), source.PrimitiveMode(), source.Colour());
                for (int c = 0; c <= kept; ++c) {
                    const int from = static_cast<int>(std::lround(static_cast<double>(c) * (columns - 1) / kept));
                    copy[2 * c] = source[2 * from];
                    copy[2 * c + 1] = source[2 * from + 1];
                }
                if (placed) places->push_back(places_[i]);
            }
            continue;
        }
        if (leaf % static_cast<std::size_t>(step) != 0) continue;
        for (std::size_t i = starts[leaf]; i < starts[leaf + 1]; ++i)
            triangles += static_cast<std::size_t>(LeafTriangleCount(list[i]));
        if (!reduced) continue;
        AppendGrown(list, starts[leaf], starts[leaf + 1], grow, crownLow, crownHigh, *reduced);
        if (placed) places->insert(places->end(), places_.begin() + static_cast<std::ptrdiff_t>(starts[leaf]),
                                   places_.begin() + static_cast<std::ptrdiff_t>(starts[leaf + 1]));
    }
    return triangles;
}

void LevelsOfDetail::Build(int level, TreeModel& model, bool withWind, ModelSink::Order order) const {
    BuildPlan(PlanOf(level), model, withWind, order);
    for (MeshPart* part : {&model.bark, &model.caps, &model.leaves})
        if (!part->Empty())
            meshopt_optimizeVertexCache(part->indices.data(), part->indices.data(), part->indices.size(),
                                        part->VertexCount());
}

int LevelsOfDetail::BuildPlan(const Plan& plan, TreeModel& model, bool withWind, ModelSink::Order order) const {
    LeafStore thinned;
    std::vector<Place> thinnedPlaces;
    if (withLeaves_ && plan.leafStep > 1) ReduceLeaves(plan.leafStep, &thinned, &thinnedPlaces);
    const bool own = withLeaves_ && plan.leafStep > 1;
    TreeViewParameters view = view_;
    view.SetDivision(plan.division);
    MeshBuilder builder(skeleton_, own ? thinned : leaves_, view);
    builder.SkipThinnerThan(plan.thinnest);
    ModelSink sink(model, order);
    std::optional<WindWeights> wind;
    if (withWind) {
        wind.emplace(skeleton_, own ? thinnedPlaces : places_, plan.thinnest);
        sink.CarryWind(&*wind);
    }
    const int triangles = builder.BuildTree(sink, withLeaves_);
    if (wind) WindWeights::FinishTreeWeights(model);
    return triangles;
}

ImpostorBox ImpostorBoxOf(const TreeModel& model) {
    ImpostorBox box;
    for (const MeshPart* part : {&model.bark, &model.caps, &model.leaves})
        for (std::size_t at = 0; at < part->positions.size(); at += 3) {
            const float x = part->positions[at], y = part->positions[at + 1], z = part->positions[at + 2];
            box.radius = std::max(box.radius, std::sqrt(x * x + z * z));
            box.height = std::max(box.height, y);
        }
    // A flat or empty tree still gets planes of some size.
    box.radius = std::max(box.radius, 0.01f);
    box.height = std::max(box.height, 0.01f);
    return box;
}

MeshPart ImpostorCross(const ImpostorBox& box, int views) {
    MeshPart cross;
    const float r = box.radius, h = box.height, cell = 1.0f / static_cast<float>(views);
    for (int plane = 0; plane < 2; ++plane) {
        const float first = static_cast<float>(plane * views / 4) * cell;
        const auto start = static_cast<std::uint32_t>(cross.VertexCount());
        for (int corner = 0; corner < 4; ++corner) {
            const float across = corner == 1 || corner == 2 ? r : -r, up = corner >= 2 ? h : 0;
            // The first plane spans x (normal +z), the second z (normal +x), as the pictures show them.
            const float position[3] = {plane == 0 ? across : 0, up, plane == 0 ? 0 : across};
            const float normal[3] = {plane == 0 ? 0.0f : 1.0f, 0, plane == 0 ? 1.0f : 0.0f};
            cross.positions.insert(cross.positions.end(), position, position + 3);
            cross.normals.insert(cross.normals.end(), normal, normal + 3);
            // v runs down the picture from its top row.
            cross.uvs.insert(cross.uvs.end(), {first + cell * (across + r) / (2 * r), up > 0 ? 0.0f : 1.0f});
        }
        cross.indices.insert(cross.indices.end(), {start, start + 1, start + 2, start, start + 2, start + 3});
    }
    cross.minimum[0] = cross.minimum[2] = -r;
    cross.maximum[0] = cross.maximum[2] = r;
    cross.maximum[1] = h;
    return cross;
}

MeshPart ImpostorCrossForView(const ImpostorBox& box, int views) {
    MeshPart cross = ImpostorCross(box, views);
    for (std::size_t at = 1; at < cross.uvs.size(); at += 2) cross.uvs[at] = 1 - cross.uvs[at];
    return cross;
}

bool MakeLevelsOfDetail(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view,
                        const LeafGeneratorModel& leafPages, bool withLeaves, bool withWind,
                        const AtlasDrawer& drawAtlas, LevelsOfDetailModel& model, std::string& error) {
    const LevelsOfDetail levels(skeleton, leaves, view, leafPages.Places(skeleton), withLeaves);
    model.levels.resize(LevelsOfDetail::kMeshLevels);
    for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) levels.Build(k, model.levels[k], withWind);
    const ImpostorBox box = ImpostorBoxOf(model.levels[0]);
    auto triangles = [](const TreeModel& level) {
        return level.bark.TriangleCount() + level.caps.TriangleCount() + level.leaves.TriangleCount();
    };
    int shown = 0;
    while (shown + 1 < LevelsOfDetail::kMeshLevels && triangles(model.levels[shown]) > kAtlasTriangles) ++shown;
    TreeModel reduced;
    if (shown > 0) levels.Build(shown, reduced, false, ModelSink::Order::kView);
    PixelImage atlas;
    if (!drawAtlas(box, shown > 0 ? &reduced : nullptr, atlas, error)) {
        error = "the impostor's pictures cannot be drawn: " + error;
        return false;
    }
    model.impostor = ImpostorCross(box, kImpostorViews);
    // The cards sway with the tree: 0 at the foot, rising with height as the tree's own weight does.
    if (withWind) {
        for (std::size_t v = 0; v < model.impostor.VertexCount(); ++v) {
            const float sway = WindWeights::TreeWeight(model.impostor.positions[3 * v + 1], box.height);
            model.impostor.wind.insert(model.impostor.wind.end(), {sway, 0, 0, 0});
        }
    }
    model.impostorImage = EncodeImpostorAtlasPng(atlas);
    // Each level from the share of the screen the tree covers; below the last it is not drawn.
    model.coverages = {0.5, 0.25, 0.1, 0.02};
    return true;
}

}  // namespace grovewright
