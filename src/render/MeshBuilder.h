#pragma once

#include <array>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "render/MeshSink.h"
#include "render/TreeViewParameters.h"
#include "render/ViewTransform.h"

namespace grovewright {

// Turns the skeleton into rings, strips and caps. For every segment of non-zero
// length it builds a ring at the tip and one at the start, the start ring
// oriented like the parent's tip ring so that linked joints close, and smooth
// ring normals; cut segments get a disc at the tip.
class MeshBuilder {
public:
    MeshBuilder(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view);

    // Told the share of BuildTree's work done (0 to 1) now and then; returning
    // false stops the build at once, the sink's output unfinished.
    using Progress = std::function<bool(double done)>;
    void SetProgress(Progress progress) { progress_ = std::move(progress); }
    // Whether the last BuildTree was stopped by the progress function.
    bool Cancelled() const { return cancelled_; }

    // Segments thinner than this diameter (centimetres) get neither side nor cap:
    // a reduced level of detail leaves out the thinnest branches.
    void SkipThinnerThan(double diameter) { thinnest_ = diameter; }
    // Whether a segment gets a side strip and a cap, with thinnest as SkipThinnerThan's.
    static bool HasSide(const BranchSegment& segment, double thinnest) {
        return segment.Length() != 0.0 && segment.Diameter() >= thinnest;
    }
    static bool HasCap(const BranchSegment& segment, double thinnest) {
        return segment.IsCut() && segment.Diameter() >= thinnest;
    }

    // Sides, then (withLeaves) the first leaf list, then the caps. Returns the
    // tree triangles as the view counts them: 2 n per side strip, n per cap.
    int BuildTree(MeshSink& sink, bool withLeaves);
    // Triangles of the first leaf list, as the view's leaf counter shows them.
    int LeafTriangles() const;

    // Calls line(start, end) for every segment, in view space.
    template <typename LineFunction>
    void BuildSkeletonLines(LineFunction&& line) const {
        skeleton_.ForEachSegment([&](const BranchSegment& segment) {
            line(transform_.LinePoint(segment.Start()), transform_.LinePoint(segment.End()));
        });
    }

    const ViewTransform& Transform() const { return transform_; }
    const SkeletonLevels& Skeleton() const { return skeleton_; }

private:
    struct RingFrame {
        Vector3D base;    // ring centre
        Vector3D cosine;  // added per vertex times cos(l * 360 / n)
        Vector3D sine;    // added per vertex times sin(l * 360 / n)
    };
    // The ring of segment with the given radius, at distance along from its start,
    // turned like a segment with the given oblique and orientation angles.
    RingFrame Frame(const BranchSegment& segment, double along, double radius, double oblique,
                    double orientation) const;
    // One strip's two rings and their normals, and the normals' scratch: one set per thread.
    struct RingScratch {
        explicit RingScratch(int division);
        std::vector<Vector3D> top, bottom;
        std::vector<float> normals;              // per ring vertex: bottom normal, then top normal
        std::vector<Vector3D> crosses, sums;     // scratch of ComputeNormals
        std::vector<double> factors;
    };
    void FillRing(const RingFrame& frame, std::vector<Vector3D>& ring) const;
    // The tip ring's radius as a share of the start ring's.
    double TipFactor(const BranchSegment& segment) const {
        return segment.TipScale() != 0.0f ? segment.TipScale() : tipFactor_[segment.Pieces()];
    }
    void ComputeNormals(RingScratch& scratch) const;
    // A ring collapsed to a point (a diameter reduced to almost nothing) has no
    // surface to take normals from: its vertices get the directions the ring's
    // own frame gives them at radius 1, so that every normal has unit length.
    void RepairCollapsedNormals(const BranchSegment& segment, double oblique, double orientation,
                                double parentOblique, double parentOrientation, RingScratch& scratch) const;
    // The rings and normals of segment's side strip, in scratch.
    SegmentRings MakeSide(const BranchSegment& segment, RingScratch& scratch) const;
    // The side strips on several threads, for a sink that takes them so.
    void BuildSidesInParallel(MeshSink& sink, const std::vector<const BranchSegment*>& sides, unsigned threads);
    // Counts one segment's work; false when the progress function stopped the build.
    bool Advance();

    // Progress is reported every this many segments: often enough for a smooth
    // bar, rarely enough to cost nothing.
    static constexpr std::size_t kReportEvery = 4096;
    // Below this many strips a tree is built on one thread: starting others costs more.
    static constexpr std::size_t kParallelSides = 2048;
    static constexpr unsigned kMaxThreads = 8;

    const SkeletonLevels& skeleton_;
    const LeafStore& leaves_;
    // Texture v at the bottom and top of every piece of a shaped branch, by piece.
    std::unordered_map<const BranchSegment*, std::pair<double, double>> shapedV_;
    // The smooth piece that continues a smooth piece, by the piece it continues.
    std::unordered_map<const BranchSegment*, const BranchSegment*> smoothNext_;
    int division_;
    double thinnest_ = 0;
    // How much a piece narrows to its tip, by the pieces of its branch: the
    // diameter reduction spread over a bent branch's pieces so their rings meet.
    std::array<double, kMaxBranchPieces + 1> tipFactor_{};
    ViewTransform transform_;
    std::vector<double> cosTable_, sinTable_;
    Progress progress_;
    bool cancelled_ = false;
    std::size_t done_ = 0, total_ = 0;
};

}  // namespace grovewright
