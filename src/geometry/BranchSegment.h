#pragma once

#include "geometry/Vector3D.h"

namespace grovewright {

// One straight piece of trunk or branch. The end points are held by value: a
// skeleton of two million segments must not cost two heap blocks per segment.
class BranchSegment {
public:
    BranchSegment(const Vector3D& start, const Vector3D& end, double twist, double spread,
                  double share, double diameter, const BranchSegment* parent = nullptr)
        : start_(start), end_(end), parent_(parent), twist_(twist), spread_(spread),
          share_(share), diameter_(diameter) {}

    const Vector3D& Start() const { return start_; }
    const Vector3D& End() const { return end_; }
    // The segment whose tip this one continues smoothly; null for the trunk and for
    // branches that start as a separate tube.
    const BranchSegment* Parent() const { return parent_; }
    // Rotation about the vertical applied when the segment was placed, degrees.
    double Twist() const { return twist_; }
    // Signed spread angle applied when placing, degrees.
    double Spread() const { return spread_; }
    // Fraction of the spread this segment took (tilt = share * spread).
    double Share() const { return share_; }
    bool IsCut() const { return cut_; }
    void SetCut(bool cut) { cut_ = cut; }
    // Diameter at the start, centimetres.
    double Diameter() const { return diameter_; }

    double Length() const { return Distance(end_, start_); }
    // Tilt from the vertical, degrees.
    double ObliqueAngle() const { return Inclination(end_, start_); }
    // Azimuth about the vertical, degrees.
    double OrientationAngle() const { return Azimuth(end_, start_); }

private:
    Vector3D start_;
    Vector3D end_;
    const BranchSegment* parent_;
    double twist_;
    double spread_;
    double share_;
    double diameter_;
    bool cut_ = false;
};

}  // namespace grovewright
