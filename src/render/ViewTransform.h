#pragma once

#include "geometry/LeafPolygon.h"
#include "geometry/Rotation3.h"
#include "render/TreeViewParameters.h"

namespace grovewright {

// Centimetres to metres as the view scales tree points: the single-precision
// value of 0.01, as a double.
inline constexpr double kTreeScale = static_cast<double>(0.01f);

// The whole-tree rotation (RotateZ(oblique), then RotateY(orientation)) and the
// unit conversions applied to everything that leaves the mesh builder.
class ViewTransform {
public:
    explicit ViewTransform(const TreeViewParameters& view)
        : rotation_(Rotation3::Y(view.OrientationAngle()) * Rotation3::Z(view.ObliqueAngle())) {}

    const Rotation3& Rotation() const { return rotation_; }
    // A leaf position: divided by 100, then rotated.
    Vector3D LeafPoint(const LeafVertex& v) const {
        return rotation_ * Vector3D(v.x / 100.0, v.y / 100.0, v.z / 100.0);
    }
    Vector3D LeafNormal(const LeafVertex& v) const { return rotation_ * Vector3D(v.nx, v.ny, v.nz); }
    // An end of a skeleton line: rotated, then divided by 100.
    Vector3D LinePoint(const Vector3D& p) const {
        Vector3D r = rotation_ * p;
        return {r.x / 100.0, r.y / 100.0, r.z / 100.0};
    }

private:
    Rotation3 rotation_;
};

}  // namespace grovewright
