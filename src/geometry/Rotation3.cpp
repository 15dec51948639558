#include "geometry/Rotation3.h"

namespace grovewright {

Rotation3 Rotation3::X(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}

Rotation3 Rotation3::Y(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}

Rotation3 Rotation3::Z(double degrees) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

Rotation3 operator*(const Rotation3& a, const Rotation3& b) {
    Rotation3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

Rotation3 operator*(const Rotation3& a, double s) {
    Rotation3 r = a;
    for (auto& row : r.m)
        for (double& v : row) v *= s;
    return r;
}

}  // namespace grovewright
