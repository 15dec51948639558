#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <cstddef>
#include <vector>

#include "generators/LeafGenerator.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "io/ModelFiles.h"
#include "render/ModelSink.h"
#include "render/TreeViewParameters.h"

namespace grovewright {

// The reduced meshes of one design for engines that switch by distance: level 0
// is the tree as exported otherwise, level 1 has about half its triangles and
// level 2 about a fifth. They are reduced by the tree's structure: fewer ring
// sides, and where those alone are not enough, the thinnest branches left out
// (their leaves stay where they hung) and fewer, larger leaves that cover about
// the same area from afar (or coarser ones, for long leaves such as fronds).
class LevelsOfDetail {
public:
    static constexpr int kMeshLevels = 3;
    // The share of level 0's triangles each level aims at.
    static constexpr std::array<double, kMeshLevels> kShares = {1.0, 0.5, 0.2};

    // places: the leaves' places (LeafGeneratorModel::Places), in list order;
    // leaves made otherwise are thinned leaf by leaf. The skeleton, the leaves
    // and the view must outlive the levels.
    LevelsOfDetail(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view,
                   std::vector<LeafGeneratorModel::Place> places, bool withLeaves);

    // How level k is reduced: its ring sides, the thinnest diameter it draws
    // (centimetres), and its leaves' share, one of every leafStep (ReduceLeaves).
    struct Plan {
        int division;
        double thinnest;
        int leafStep;
    };
    const Plan& PlanOf(int level) const;
    // The plan that keeps about this share (0 to 1) of the tree's triangles.
    Plan PlanFor(double share) const;

    // Builds level k's model, with wind weights when wanted, its triangles in
    // vertex cache order; in the view's order for drawing it.
    void Build(int level, TreeModel& model, bool withWind, ModelSink::Order order = ModelSink::Order::kModel) const;
    // Builds the model a plan makes, its triangles in the order they are made
    // (quicker to make, as slow to draw); returns the tree's triangles.
    int BuildPlan(const Plan& plan, TreeModel& model, bool withWind,
                  ModelSink::Order order = ModelSink::Order::kModel) const;

private:
    // Leaves with at least this many segments along their spine are made
    // coarser rather than fewer: a few large fronds grown larger would stand out.
    static constexpr int kLongLeafSegments = 4;
    // Level k's leaves, about a step-th of the triangles: every step-th small
    // leaf, grown about where it sits; every long leaf with a step-th of its
    // segments; and their places (when given). Returns their triangles; with
    // no leaves to fill, only counts them.
    std::size_t ReduceLeaves(int step, LeafStore* leaves, std::vector<LeafGeneratorModel::Place>* places) const;
    // ReduceLeaves's count, each step counted once.
    double LeafTriangles(int step) const;

    const SkeletonLevels& skeleton_;
    const LeafStore& leaves_;
    const TreeViewParameters& view_;
    std::vector<LeafGeneratorModel::Place> places_;
    // The first strip of every leaf, and the list's size last.
    std::vector<std::size_t> leafStarts_;
    bool withLeaves_;
    // The bark's triangles per ring side with every branch drawn; level 0's triangles.
    double barkPerSide_ = 0, all_ = 0;
    // Worked out when first asked for.
    mutable std::map<int, double> leafCounts_;
    mutable std::array<std::optional<Plan>, kMeshLevels> plans_{};
};

// What an impostor's pictures show of a tree: the radius about its axis (the
// vertical through the trunk's base) and the height, in metres.
struct ImpostorBox {
    float radius = 0;
    float height = 0;
};
ImpostorBox ImpostorBoxOf(const TreeModel& model);

// The last level of detail: two planes crossing on the tree's axis, the first
// across x textured with the atlas's first picture (seen from +z), the second
// across z with the picture a quarter turn on (views a multiple of 4).
MeshPart ImpostorCross(const ImpostorBox& box, int views);
// The cross as the view draws it: texture v from the bottom of the picture.
MeshPart ImpostorCrossForView(const ImpostorBox& box, int views);

// The impostor's pictures: this many around the tree, each this many pixels square.
inline constexpr int kImpostorViews = 8;
inline constexpr int kImpostorCell = 256;

// Above this many triangles the impostor's pictures are drawn from the first
// reduced level below it: eight pictures of a huge tree, drawn on a processor,
// would take minutes, and at their 256 pixels the levels look alike.
inline constexpr std::size_t kAtlasTriangles = 1'000'000;

// Draws an impostor's atlas of the box (RenderImpostorAtlas's pictures, on
// black) showing reduced (a level made in the view's order) in place of the
// tree, or the tree itself when it is null; false with error set when it cannot.
using AtlasDrawer =
    std::function<bool(const ImpostorBox& box, const TreeModel* reduced, PixelImage& atlas, std::string& error)>;

// A design's levels of detail as one glTF holds them (WriteLevelsOfDetail): the
// three meshes, with wind weights when wanted, and the impostor from the atlas
// drawAtlas draws; false with error set when the atlas cannot be drawn.
bool MakeLevelsOfDetail(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view,
                        const LeafGeneratorModel& leafPages, bool withLeaves, bool withWind,
                        const AtlasDrawer& drawAtlas, LevelsOfDetailModel& model, std::string& error);

}  // namespace grovewright
