#include "render/MeshBuilder.h"

#include <cmath>

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
      diameterReduction_(view.DiameterReduction()),
      transform_(view) {}

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
void MeshBuilder::ComputeNormals() {
    const int n = division_;
    // crosses_[4l + 0..1]: p x q and q x r at bottom vertex l; [4l + 2..3] the same at top vertex l.
    crosses_.resize(4 * n);
    sums_.resize(2 * n);
    factors_.resize(4 * n);
    for (int l = 0; l < n; ++l) {
        const int next = (l + 1) % n, previous = (l + n - 1) % n;
        const Vector3D& b = bottom_[l];
        const Vector3D& t = top_[l];
        const Vector3D bottomQ = t - b, topQ = b - t;
        crosses_[4 * l] = Cross(bottom_[next] - b, bottomQ);
        crosses_[4 * l + 1] = Cross(bottomQ, bottom_[previous] - b);
        crosses_[4 * l + 2] = Cross(top_[previous] - t, topQ);
        crosses_[4 * l + 3] = Cross(topQ, top_[next] - t);
    }
    NormalizeAll(crosses_.data(), factors_.data(), crosses_.size());
    for (int i = 0; i < 2 * n; ++i) sums_[i] = crosses_[2 * i];
    for (int i = 0; i < 2 * n; ++i) sums_[i].Add(crosses_[2 * i + 1]);
    NormalizeAll(sums_.data(), factors_.data(), sums_.size());
    for (int i = 0; i < 2 * n; ++i) StoreNormal(&normals_[3 * i], sums_[i]);
    for (int k = 0; k < 6; ++k) normals_[6 * n + k] = normals_[k];
}

bool MeshBuilder::Advance() {
    // Often enough for a smooth bar, rarely enough to cost nothing.
    constexpr std::size_t kReportEvery = 4096;
    if (!progress_ || ++done_ % kReportEvery != 0) return true;
    cancelled_ = !progress_(static_cast<double>(done_) / static_cast<double>(total_));
    return !cancelled_;
}

int MeshBuilder::BuildTree(MeshSink& sink, bool withLeaves) {
    const int n = division_;
    cosTable_.resize(n + 1);
    sinTable_.resize(n + 1);
    for (int l = 0; l <= n; ++l) {
        cosTable_[l] = CosDeg(l * 360.0 / n);
        sinTable_[l] = SinDeg(l * 360.0 / n);
    }
    top_.resize(n + 1);
    bottom_.resize(n + 1);
    normals_.resize(6 * (n + 1));

    std::size_t sides = 0, caps = 0;
    for (const auto& level : skeleton_) {
        for (const BranchSegment& segment : level) {
            if (segment.Length() != 0.0) ++sides;
            if (segment.IsCut()) ++caps;
        }
    }

    // The work: every side and cap, and the leaves as much as the sides.
    const bool leavesToo = withLeaves && !leaves_.Empty();
    cancelled_ = false;
    done_ = 0;
    total_ = sides + caps + (leavesToo ? sides : 0) + 1;
    sink.BeginSides(sides, n);
    for (const auto& level : skeleton_) {
        for (const BranchSegment& segment : level) {
            const double length = segment.Length();
            if (length == 0.0) continue;
            if (!Advance()) return 0;
            const double oblique = segment.ObliqueAngle(), orientation = segment.OrientationAngle();
            const BranchSegment* parent = segment.Parent();
            const double parentOblique = parent ? parent->ObliqueAngle() : oblique;
            const double parentOrientation = parent ? parent->OrientationAngle() : orientation;
            const double radius = segment.Diameter() * 0.5;
            FillRing(Frame(segment, length, radius * diameterReduction_, oblique, orientation), top_);
            FillRing(Frame(segment, 0.0, radius, parentOblique, parentOrientation), bottom_);
            ComputeNormals();
            sink.Side({n, bottom_.data(), top_.data(), normals_.data()});
        }
    }
    sink.EndSides();

    if (leavesToo) {
        sink.Leaves(leaves_[0], transform_);
        done_ += sides;
    }

    sink.BeginCaps(caps, n);
    for (const auto& level : skeleton_) {
        for (const BranchSegment& segment : level) {
            if (!segment.IsCut()) continue;
            if (!Advance()) return 0;
            const double radius = segment.Diameter() * 0.5 * diameterReduction_;
            FillRing(Frame(segment, segment.Length(), radius, segment.ObliqueAngle(), segment.OrientationAngle()),
                     top_);
            // For an odd division this is the middle of a chord, not the ring centre.
            Vector3D centre = top_[n / 2] - top_[0];
            centre.Scale(0.5).Add(top_[0]);
            const int i = n < 4 ? 1 : 0;
            Vector3D normal = top_[i] - centre;
            normal.CrossNormalize(top_[i + 1] - centre);
            sink.Cap(centre, top_.data(), normal, n);
        }
    }
    sink.EndCaps();
    if (progress_) progress_(1.0);
    return static_cast<int>(2 * n * sides + n * caps);
}

int MeshBuilder::LeafTriangles() const {
    int triangles = 0;
    if (leaves_.Empty()) return 0;
    for (const LeafPolygon& polygon : leaves_[0]) triangles += LeafTriangleCount(polygon);
    return triangles;
}

}  // namespace grovewright
