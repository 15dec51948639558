#pragma once

#include "geometry/Vector3D.h"

namespace grovewright {

// A 3x3 matrix built from the degree rotations of Vector3D, so a chain of
// RotateX/RotateY/RotateZ calls can be composed once and applied many times.
// Rotation3::Z(a) * p equals Vector3D(p).RotateZ(a) up to rounding.
struct Rotation3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static Rotation3 X(double degrees);
    static Rotation3 Y(double degrees);
    static Rotation3 Z(double degrees);

    // (a * b) * p = a * (b * p): b is applied first.
    friend Rotation3 operator*(const Rotation3& a, const Rotation3& b);
    friend Rotation3 operator*(const Rotation3& a, double s);

    Vector3D operator*(const Vector3D& p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
    }
    Vector3D Column(int c) const { return {m[0][c], m[1][c], m[2][c]}; }
};

// The turn that takes a segment's local +x axis along a segment with these
// inclination (from +y) and azimuth angles, in degrees: RotateZ(90 - oblique),
// then RotateY(-orientation). Growth, leaves and meshes all place things with it.
inline Rotation3 SegmentFrame(double oblique, double orientation) {
    return Rotation3::Y(-orientation) * Rotation3::Z(90.0 - oblique);
}

}  // namespace grovewright
