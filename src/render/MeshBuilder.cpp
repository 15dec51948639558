#include "render/MeshBuilder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

namespace grovewright {

namespace {

// Vector3D::Normalize for many vectors at once: the same arithmetic (factor
// rounded to single precision), written as independent loops so the square roots
// and divisions overlap instead of waiting on each other. Zero and tiny vectors
// (factor 0 here) take Normalize's own path.
void NormalizeAll(Vector3D* v, double* factor, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) factor[i] = v[i].x * v[i].x + v[i].y * v[i].y + v[i].z * v[i].z;
    for (std::size_t i = 0; i < count; ++i) {
        const double f = 1.0 / std::sqrt(factor[i]);
        factor[i] = f <= Vector3D::kMaxSingleFactor ? static_cast<double>(static_cast<float>(f)) : 0.0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (factor[i] != 0.0)
            v[i].Scale(factor[i]);
        else
            v[i].Normalize();
    }
}

void StoreNormal(float* at, const Vector3D& v) {
    at[0] = static_cast<float>(v.x);
    at[1] = static_cast<float>(v.y);
    at[2] = static_cast<float>(v.z);
}

}  // namespace

MeshBuilder::MeshBuilder(const SkeletonLevels& skeleton, const LeafStore& leaves, const TreeViewParameters& view)
    : skeleton_(skeleton),
      leaves_(leaves),
      division_(view.Division()),
      transform_(view) {
    tipFactor_[1] = view.DiameterReduction();
    for (int pieces = 2; pieces <= kMaxBranchPieces; ++pieces)
        tipFactor_[pieces] = std::pow(view.DiameterReduction(), 1.0 / pieces);
}

MeshBuilder::RingFrame MeshBuilder::Frame(const BranchSegment& segment, double along, double radius,
                                          double oblique, double orientation) const {
    // Local frame: the segment axis is +x, the ring lies in the y-z plane. It is
    // turned by RotateX(orientation), RotateZ(90 - oblique), RotateY(-orientation),
    // moved to the segment's start, scaled to metres and turned with the tree.
    const Rotation3 turn = SegmentFrame(oblique, orientation) * Rotation3::X(orientation);
    const Rotation3 toView = transform_.Rotation() * turn * kTreeScale;
    Vector3D start = segment.Start();
    start.Scale(kTreeScale);
    Vector3D base = toView.Column(0);
    base.Scale(along).Add(transform_.Rotation() * start);
    Vector3D cosine = toView.Column(1);
    Vector3D sine = toView.Column(2);
    return {base, cosine.Scale(radius), sine.Scale(radius)};
}

MeshBuilder::RingScratch::RingScratch(int division)
    : top(division + 1),
      bottom(division + 1),
      normals(6 * (division + 1)),
      crosses(4 * division),
      sums(2 * division),
      factors(4 * division) {}

void MeshBuilder::FillRing(const RingFrame& frame, std::vector<Vector3D>& ring) const {
    for (int l = 0; l <= division_; ++l) {
        const double c = cosTable_[l], s = sinTable_[l];
        ring[l] = {frame.base.x + frame.cosine.x * c + frame.sine.x * s,
                   frame.base.y + frame.cosine.y * c + frame.sine.y * s,
                   frame.base.z + frame.cosine.z * c + frame.sine.z * s};
    }
}

// The normal at a ring vertex is Normalize(normalized(p x q) + normalized(q x r))
// with p and r the vectors to its neighbours on its ring and q the vector to its
// partner on the other ring (for the top ring p is the previous neighbour).
void MeshBuilder::ComputeNormals(RingScratch& scratch) const {
    const int n = division_;
    const std::vector<Vector3D>& bottom = scratch.bottom;
    const std::vector<Vector3D>& top = scratch.top;
    // crosses[4l + 0..1]: p x q and q x r at bottom vertex l; [4l + 2..3] the same at top vertex l.
    std::vector<Vector3D>& crosses = scratch.crosses;
    std::vector<Vector3D>& sums = scratch.sums;
    for (int l = 0; l < n; ++l) {
        const int next = (l + 1) % n, previous = (l + n - 1) % n;
        const Vector3D& b = bottom[l];
        const Vector3D& t = top[l];
        const Vector3D bottomQ = t - b, topQ = b - t;
        crosses[4 * l] = Cross(bottom[next] - b, bottomQ);
        crosses[4 * l + 1] = Cross(bottomQ, bottom[previous] - b);
        crosses[4 * l + 2] = Cross(top[previous] - t, topQ);
        crosses[4 * l + 3] = Cross(topQ, top[next] - t);
    }
    NormalizeAll(crosses.data(), scratch.factors.data(), crosses.size());
    for (int i = 0; i < 2 * n; ++i) sums[i] = crosses[2 * i];
    for (int i = 0; i < 2 * n; ++i) sums[i].Add(crosses[2 * i + 1]);
    NormalizeAll(sums.data(), scratch.factors.data(), sums.size());
    float* normals = scratch.normals.data();
    for (int i = 0; i < 2 * n; ++i) StoreNormal(&normals[3 * i], sums[i]);
    for (int k = 0; k < 6; ++k) normals[6 * n + k] = normals[k];
}

void MeshBuilder::RepairCollapsedNormals(const BranchSegment& segment, double oblique, double orientation,
                                         double parentOblique, double parentOrientation, RingScratch& scratch) const {
    float* normals = scratch.normals.data();
    bool repaired = false;
    for (int i = 0; i < 2 * division_; ++i) {
        const float* v = &normals[3 * i];
        // Unit length, or nearly: nothing to repair (also the test that rejects NaN).
        if (v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > 0.5f) continue;
        // normals[2l] belongs to bottom vertex l, normals[2l + 1] to top vertex l.
        const int l = i / 2;
        const RingFrame frame = i % 2 == 0 ? Frame(segment, 0.0, 1.0, parentOblique, parentOrientation)
                                           : Frame(segment, segment.Length(), 1.0, oblique, orientation);
        Vector3D direction = frame.cosine;
        direction.Scale(cosTable_[l]);
        Vector3D across = frame.sine;
        direction.Add(across.Scale(sinTable_[l])).Normalize();
        StoreNormal(&normals[3 * i], direction);
        repaired = true;
    }
    if (repaired)
        for (int k = 0; k < 6; ++k) normals[6 * division_ + k] = normals[k];
}

namespace {

// The angles of the direction halfway between two pieces': where a smooth
// bend puts the ring they share.
void MeanDirection(const BranchSegment& first, const BranchSegment& second, double& oblique, double& orientation) {
    Vector3D a = first.End() - first.Start(), b = second.End() - second.Start();
    a.Normalize(), b.Normalize();
    const Vector3D mean = a + b;
    oblique = Inclination(mean, Vector3D());
    orientation = Azimuth(mean, Vector3D());
}

}  // namespace

SegmentRings MeshBuilder::MakeSide(const BranchSegment& segment, RingScratch& scratch) const {
    double oblique = segment.ObliqueAngle(), orientation = segment.OrientationAngle();
    const BranchSegment* parent = segment.Parent();
    double parentOblique = parent ? parent->ObliqueAngle() : oblique;
    double parentOrientation = parent ? parent->OrientationAngle() : orientation;
    if (segment.IsSmooth()) {
        // The joints with smooth neighbours lie across the mean direction; the
        // tip's angles are read before they change.
        if (const auto next = smoothNext_.find(&segment); next != smoothNext_.end())
            MeanDirection(segment, *next->second, oblique, orientation);
        if (parent && parent->IsSmooth()) MeanDirection(*parent, segment, parentOblique, parentOrientation);
    }
    const double radius = segment.Diameter() * 0.5;
    RingFrame top = Frame(segment, segment.Length(), radius * TipFactor(segment), oblique, orientation);
    if (segment.IsSmooth()) {
        // Turned across the mean direction, the ring still sits at the piece's end.
        Vector3D end = segment.End();
        end.Scale(kTreeScale);
        top.base = transform_.Rotation() * end;
    }
    FillRing(top, scratch.top);
    FillRing(Frame(segment, 0.0, radius, parentOblique, parentOrientation), scratch.bottom);
    ComputeNormals(scratch);
    RepairCollapsedNormals(segment, oblique, orientation, parentOblique, parentOrientation, scratch);
    SegmentRings rings{division_, scratch.bottom.data(), scratch.top.data(), scratch.normals.data()};
    if (segment.TipScale() != 0.0f) {
        const auto v = shapedV_.find(&segment);
        if (v != shapedV_.end()) std::tie(rings.vBottom, rings.vTop) = v->second;
    }
    return rings;
}

bool MeshBuilder::Advance() {
    if (!progress_ || ++done_ % kReportEvery != 0) return true;
    cancelled_ = !progress_(static_cast<double>(done_) / static_cast<double>(total_));
    return !cancelled_;
}

void MeshBuilder::BuildSidesInParallel(MeshSink& sink, const std::vector<const BranchSegment*>& sides,
                                       unsigned threads) {
    // Each thread takes one run of strips with scratch of its own; this thread
    // takes the first run and is the one that reports progress.
    std::atomic<std::size_t> built{0};
    std::atomic<bool> stop{false};
    auto run = [&](std::size_t begin, std::size_t end, bool reports) {
        RingScratch scratch(division_);
        std::size_t ready = begin;
        for (std::size_t i = begin; i < end && !stop.load(std::memory_order_relaxed); ++i) {
            sink.SideAt(i, MakeSide(*sides[i], scratch));
            const std::size_t total = built.fetch_add(1, std::memory_order_relaxed) + 1;
            if ((i - begin + 1) % kReportEvery != 0) continue;
            sink.SidesReady(ready, i + 1);
            ready = i + 1;
            if (reports && progress_ && !progress_(static_cast<double>(total) / static_cast<double>(total_)))
                stop = true;
        }
        if (!stop && ready < end) sink.SidesReady(ready, end);
    };
    // A thread that cannot be started leaves its run to this one; a failure on a
    // worker (out of memory) stops the others and is raised here.
    std::vector<std::thread> workers;
    std::vector<std::pair<std::size_t, std::size_t>> leftOver;
    std::exception_ptr failure;
    std::mutex failureLock;
    const std::size_t share = (sides.size() + threads - 1) / threads;
    for (unsigned t = 1; t < threads; ++t) {
        const std::size_t begin = std::min(sides.size(), t * share), end = std::min(sides.size(), (t + 1) * share);
        try {
            workers.emplace_back([&, begin, end] {
                try {
                    run(begin, end, false);
                } catch (...) {
                    stop = true;
                    const std::lock_guard<std::mutex> hold(failureLock);
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            leftOver.emplace_back(begin, end);
        }
    }
    try {
        run(0, std::min(sides.size(), share), true);
        for (const auto& [begin, end] : leftOver) run(begin, end, true);
    } catch (...) {
        stop = true;
        for (std::thread& worker : workers) worker.join();
        throw;
    }
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
    cancelled_ = stop;
    done_ = built;
}

int MeshBuilder::BuildTree(MeshSink& sink, bool withLeaves) {
    const int n = division_;
    cosTable_.resize(n + 1);
    sinTable_.resize(n + 1);
    for (int l = 0; l <= n; ++l) {
        cosTable_[l] = CosDeg(l * 360.0 / n);
        sinTable_[l] = SinDeg(l * 360.0 / n);
    }
    RingScratch scratch(n);

    std::vector<const BranchSegment*> sides, capped;
    shapedV_.clear();
    smoothNext_.clear();
    skeleton_.ForEachSegment([&](const BranchSegment& segment) {
        if (HasSide(segment, thinnest_)) sides.push_back(&segment);
        if (segment.IsSmooth() && segment.Parent() && segment.Parent()->IsSmooth())
            smoothNext_[segment.Parent()] = &segment;
        if (HasCap(segment, thinnest_)) capped.push_back(&segment);
        if (segment.TipScale() == 0.0f || !segment.IsBranchEnd()) return;
        // A shaped branch's v runs along it by length, from its whole length known at its end.
        const BranchPieces pieces(segment);
        const double length = pieces.Length();
        double along = 0.0;
        for (int i = 0; i < pieces.count; ++i) {
            const double next = along + pieces.pieces[i]->Length();
            shapedV_[pieces.pieces[i]] = {length > 0.0 ? along / length : 0.0, length > 0.0 ? next / length : 1.0};
            along = next;
        }
    });
    const std::size_t caps = capped.size();

    // The work: every side and cap, and the leaves as much as the sides.
    const bool leavesToo = withLeaves && !leaves_.Empty();
    cancelled_ = false;
    done_ = 0;
    total_ = sides.size() + caps + (leavesToo ? sides.size() : 0) + 1;
    sink.BeginSides(sides.size(), n);
    const unsigned threads = std::min(std::thread::hardware_concurrency(), kMaxThreads);
    if (sink.TakesSidesInParallel() && sides.size() >= kParallelSides && threads > 1) {
        BuildSidesInParallel(sink, sides, threads);
        if (cancelled_) return 0;
    } else {
        for (std::size_t i = 0; i < sides.size(); ++i) {
            if (!Advance()) return 0;
            sink.Side(MakeSide(*sides[i], scratch));
            if ((i + 1) % kReportEvery == 0 || i + 1 == sides.size())
                sink.SidesReady(i / kReportEvery * kReportEvery, i + 1);
        }
    }
    sink.EndSides();

    if (leavesToo) {
        sink.Leaves(leaves_[0], transform_);
        done_ += sides.size();
    }

    sink.BeginCaps(caps, n);
    std::vector<Vector3D>& top = scratch.top;
    for (const BranchSegment* cappedSegment : capped) {
        const BranchSegment& segment = *cappedSegment;
        if (!Advance()) return 0;
        const double radius = segment.Diameter() * 0.5 * TipFactor(segment);
        FillRing(Frame(segment, segment.Length(), radius, segment.ObliqueAngle(), segment.OrientationAngle()),
                 top);
        // For an odd division this is the middle of a chord, not the ring centre.
        Vector3D centre = top[n / 2] - top[0];
        centre.Scale(0.5).Add(top[0]);
        const int i = n < 4 ? 1 : 0;
        Vector3D normal = top[i] - centre;
        normal.CrossNormalize(top[i + 1] - centre);
        if (!(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z > 0.5)) {
            // A ring collapsed to a point: the cap faces along its segment.
            normal = Frame(segment, 1.0, 0.0, segment.ObliqueAngle(), segment.OrientationAngle()).base;
            normal.Subtract(Frame(segment, 0.0, 0.0, segment.ObliqueAngle(), segment.OrientationAngle()).base)
                .Normalize();
        }
        sink.Cap(centre, top.data(), normal, n);
    }
    sink.EndCaps();
    if (progress_) progress_(1.0);
    return static_cast<int>(2 * n * sides.size() + n * caps);
}

int MeshBuilder::LeafTriangles() const {
    int triangles = 0;
    if (leaves_.Empty()) return 0;
    for (const LeafPolygon& polygon : leaves_[0]) triangles += LeafTriangleCount(polygon);
    return triangles;
}

}  // namespace grovewright
