#include "geometry/Vector3D.h"

#include <algorithm>
#include <cmath>

namespace grovewright {

double SinDeg(double degrees) { return std::sin(degrees * kPi / 180.0); }

double CosDeg(double degrees) { return std::cos(degrees * kPi / 180.0); }

double RadToDeg(double radians) { return 180.0 * radians / kPi; }

Vector3D& Vector3D::RotateX(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    const double ny = y * c - z * s;
    const double nz = y * s + z * c;
    y = ny;
    z = nz;
    return *this;
}

Vector3D& Vector3D::RotateY(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    const double nx = x * c + z * s;
    const double nz = z * c - x * s;
    x = nx;
    z = nz;
    return *this;
}

Vector3D& Vector3D::RotateZ(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    const double nx = x * c - y * s;
    const double ny = x * s + y * c;
    x = nx;
    y = ny;
    return *this;
}

Vector3D& Vector3D::NormalizeTiny() {
    const double largest = std::max({std::abs(x), std::abs(y), std::abs(z)});
    if (!(largest > 0.0)) return *this;  // zero (or not a number): left alone
    x /= largest;
    y /= largest;
    z /= largest;
    return Scale(1.0 / std::sqrt(x * x + y * y + z * z));
}

double Distance(const Vector3D& to, const Vector3D& from) {
    const double dx = to.x - from.x, dy = to.y - from.y, dz = to.z - from.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double Inclination(const Vector3D& to, const Vector3D& from) {
    const double dy = to.y - from.y;
    if (dy == 0.0) return 0.0;
    // The clamp only guards against rounding pushing the ratio past +-1.
    return RadToDeg(std::acos(std::clamp(dy / Distance(to, from), -1.0, 1.0)));
}

double Azimuth(const Vector3D& to, const Vector3D& from) {
    const double dx = to.x - from.x, dz = to.z - from.z;
    const double g = std::sqrt(dx * dx + dz * dz);
    if (g == 0.0) return 0.0;
    if (dx == 0.0) return dz > 0.0 ? 90.0 : 270.0;
    if (dz == 0.0) return dx > 0.0 ? 0.0 : 180.0;
    const double h = RadToDeg(std::acos(std::clamp(dx / g, -1.0, 1.0)));
    return dz >= 0.0 ? h : 360.0 - h;
}

}  // namespace grovewright
