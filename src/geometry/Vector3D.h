#pragma once

#include <cmath>
#include <limits>

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
    // The small ones are inline: the mesh builder calls them millions of times.
    Vector3D& Add(const Vector3D& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    Vector3D& Subtract(const Vector3D& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    Vector3D& Scale(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    // Multiplies by the reciprocal length rounded to single precision. A vector
    // so short that this factor does not fit a float (or whose squared length
    // underflows) is scaled to its largest component first and normalised in
    // double precision. A zero vector is left as it is (never NaN or inf).
    Vector3D& Normalize() {
        const double factor = 1.0 / std::sqrt(x * x + y * y + z * z);
        if (factor <= kMaxSingleFactor) return Scale(static_cast<float>(factor));
        return NormalizeTiny();
    }
    // The largest reciprocal length that single precision holds.
    static constexpr double kMaxSingleFactor = std::numeric_limits<float>::max();
    // this = this x v (from the old components), then Normalize().
    Vector3D& CrossNormalize(const Vector3D& v) {
        const double cx = y * v.z - z * v.y;
        const double cy = z * v.x - x * v.z;
        const double cz = x * v.y - y * v.x;
        x = cx;
        y = cy;
        z = cz;
        return Normalize();
    }
    // Normalize's path for vectors too short for the single-precision factor.
    Vector3D& NormalizeTiny();
    // Right-handed rotations about the axes; angle in degrees.
    Vector3D& RotateX(double degrees);
    Vector3D& RotateY(double degrees);
    Vector3D& RotateZ(double degrees);
};

// Value arithmetic: new vectors, the operands untouched.
inline Vector3D operator+(const Vector3D& a, const Vector3D& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3D operator-(const Vector3D& a, const Vector3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3D operator-(const Vector3D& a) { return {-a.x, -a.y, -a.z}; }
inline Vector3D operator*(const Vector3D& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vector3D operator*(double s, const Vector3D& a) { return a * s; }
inline double Dot(const Vector3D& a, const Vector3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3D Cross(const Vector3D& a, const Vector3D& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Length of to - from.
double Distance(const Vector3D& to, const Vector3D& from);
// Angle between to - from and +y in degrees, in [0, 180]; 0 when the direction is
// horizontal (dy exactly 0) or zero.
double Inclination(const Vector3D& to, const Vector3D& from);
// Azimuth of to - from in the x-z plane in degrees, in [0, 360), from +x towards +z;
// 0 for a vertical or zero direction.
double Azimuth(const Vector3D& to, const Vector3D& from);

}  // namespace grovewright
