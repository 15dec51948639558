#pragma once

// A 3D point or vector of three doubles in a right-handed frame with +y up.
// Skeleton coordinates are centimetres; consumers convert to metres.
// Angles are degrees everywhere.

namespace grovewright {

// pi as the double the angle helpers multiply by
inline constexpr double kPi = 3.141592653589793;

// sin(a * pi / 180): multiplied by pi first, then divided by 180
double SinDeg(double degrees);
// cos(a * pi / 180), same order
double CosDeg(double degrees);
// 180 * r / pi
double RadToDeg(double radians);

class Vector3D {
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Vector3D() = default;
    constexpr Vector3D(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    // Every operation works in place and returns the vector so calls chain.
    Vector3D& Add(const Vector3D& v);
    Vector3D& Subtract(const Vector3D& v);
    Vector3D& Scale(double s);
    // Multiplies by the reciprocal length rounded to single precision.
    // A zero-length vector is left as it is (no NaN).
    Vector3D& Normalize();
    // this = this x v, then Normalize().
    Vector3D& CrossNormalize(const Vector3D& v);
    // Right-handed rotations about the axes; angle in degrees.
    Vector3D& RotateX(double degrees);
    Vector3D& RotateY(double degrees);
    Vector3D& RotateZ(double degrees);
};

// Length of to - from.
double Distance(const Vector3D& to, const Vector3D& from);
// Angle between to - from and +y in degrees, in [0, 180]; 0 when the direction is
// horizontal (dy exactly 0) or zero.
double Inclination(const Vector3D& to, const Vector3D& from);
// Azimuth of to - from in the x-z plane in degrees, in [0, 360), from +x towards +z;
// 0 for a vertical or zero direction.
double Azimuth(const Vector3D& to, const Vector3D& from);

}  // namespace grovewright
