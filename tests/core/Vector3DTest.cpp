#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Vector3D.h"

using grovewright::Azimuth;
using grovewright::CosDeg;
using grovewright::Distance;
using grovewright::Inclination;
using grovewright::SinDeg;
using grovewright::Vector3D;

namespace {

void ExpectNear(const Vector3D& v, double x, double y, double z, double tolerance = 1e-12) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

const Vector3D kOrigin;

}  // namespace

TEST(AngleHelpers, MultiplyByPiBeforeDividing) {
    // The order matters for the last bit: a * pi / 180, not a * (pi / 180).
    for (double a : {1.0, 22.5, 33.3, 137.5, 359.0}) {
        EXPECT_EQ(SinDeg(a), std::sin(a * 3.141592653589793 / 180.0));
        EXPECT_EQ(CosDeg(a), std::cos(a * 3.141592653589793 / 180.0));
    }
    EXPECT_DOUBLE_EQ(grovewright::RadToDeg(3.141592653589793 / 4), 45.0);
}

TEST(Vector3DRotation, PositiveAnglesAreRightHanded) {
    ExpectNear(Vector3D(1, 0, 0).RotateZ(90), 0, 1, 0);
    ExpectNear(Vector3D(0, 0, 1).RotateY(90), 1, 0, 0);
    ExpectNear(Vector3D(0, 1, 0).RotateX(90), 0, 0, 1);
    // Both components come from the old values: a 45 degree turn keeps the length.
    Vector3D v(3, 4, 0);
    v.RotateZ(45);
    EXPECT_NEAR(Distance(v, kOrigin), 5.0, 1e-12);
    ExpectNear(v, (3 - 4) * std::sqrt(0.5), (3 + 4) * std::sqrt(0.5), 0);
}

TEST(Vector3DRotation, OperationsChain) {
    Vector3D v(1, 2, 3);
    v.Add({1, 1, 1}).Scale(2).Subtract({4, 6, 8});
    ExpectNear(v, 0, 0, 0);
}

TEST(Vector3DRotation, AnglesInvertThePlacementRotations) {
    // A direction with oblique angle o and orientation t, rebuilt from local +x by
    // RotateZ(90 - o) and RotateY(-t), gives back o and t.
    for (double o : {10.0, 45.0, 80.0, 135.0}) {
        for (double t : {0.0, 30.0, 200.0, 315.0}) {
            Vector3D d(7, 0, 0);
            d.RotateZ(90 - o).RotateY(-t);
            EXPECT_NEAR(Inclination(d, kOrigin), o, 1e-9);
            EXPECT_NEAR(Azimuth(d, kOrigin), t, 1e-9);
            ExpectNear(d, 7 * SinDeg(o) * CosDeg(t), 7 * CosDeg(o), 7 * SinDeg(o) * SinDeg(t), 1e-9);
        }
    }
}

TEST(Vector3DNormalize, UsesSinglePrecisionFactor) {
    Vector3D v(3, 0, 4);
    v.Normalize();
    const double factor = static_cast<float>(1.0 / 5.0);
    EXPECT_EQ(v.x, 3 * factor);
    EXPECT_EQ(v.z, 4 * factor);
    EXPECT_NE(v.x, 0.6);  // not full double accuracy
    EXPECT_NEAR(v.x, 0.6, 1e-7);
}

TEST(Vector3DNormalize, ZeroVectorStaysZeroWithoutNaN) {
    Vector3D zero;
    zero.Normalize();
    ExpectNear(zero, 0, 0, 0, 0);
    // Parallel vectors have a zero cross product.
    Vector3D a(1, 2, 3);
    a.CrossNormalize({2, 4, 6});
    EXPECT_FALSE(std::isnan(a.x) || std::isnan(a.y) || std::isnan(a.z));
    ExpectNear(a, 0, 0, 0, 0);
}

TEST(Vector3DNormalize, TinyVectorsBecomeUnitVectorsNeverInfOrNaN) {
    // The single-precision factor would overflow (or the squared length underflow to 0).
    const Vector3D tiny[] = {{1e-200, 0, 0}, {0, -3e-170, 4e-170}, {5e-324, 0, 0}, {1e-39, 1e-39, 1e-39}};
    for (Vector3D v : tiny) {
        const Vector3D before = v;
        v.Normalize();
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-12);
        // Same direction: each component keeps its sign and its share of the largest.
        EXPECT_GE(v.x * before.x, 0.0);
        EXPECT_GE(v.z * before.z, 0.0);
    }
    Vector3D v{0, -3e-170, 4e-170};
    v.Normalize();
    EXPECT_NEAR(v.y, -0.6, 1e-12);
    EXPECT_NEAR(v.z, 0.8, 1e-12);
    // The cross product of two needle-thin ring offsets.
    Vector3D a{1e-120, 0, 0};
    a.CrossNormalize({0, 1e-120, 0});
    EXPECT_EQ(a.x, 0.0);
    EXPECT_EQ(a.y, 0.0);
    EXPECT_NEAR(a.z, 1.0, 1e-12);
}

TEST(Vector3DNormalize, CrossProductUsesOldComponents) {
    Vector3D x(1, 0, 0);
    x.CrossNormalize({0, 1, 0});
    ExpectNear(x, 0, 0, 1, 1e-7);
    Vector3D a(2, 0, 0);
    a.CrossNormalize({0, 0, 5});
    ExpectNear(a, 0, -1, 0, 1e-7);
}

TEST(Inclination, EdgeDirections) {
    EXPECT_EQ(Inclination({1, 0, 0}, kOrigin), 0.0);  // horizontal gives 0, not 90
    EXPECT_EQ(Inclination({0, 1, 0}, kOrigin), 0.0);
    EXPECT_DOUBLE_EQ(Inclination({0, -1, 0}, kOrigin), 180.0);
    EXPECT_NEAR(Inclination({1, 1, 0}, kOrigin), 45.0, 1e-12);
    EXPECT_EQ(Inclination(kOrigin, kOrigin), 0.0);
    // Only the difference counts.
    EXPECT_NEAR(Inclination({6, 6, 5}, {5, 5, 5}), 45.0, 1e-12);
}

TEST(Azimuth, EdgeDirections) {
    EXPECT_EQ(Azimuth({0, 5, 0}, kOrigin), 0.0);
    EXPECT_EQ(Azimuth({0, 0, 1}, kOrigin), 90.0);
    EXPECT_EQ(Azimuth({0, 0, -1}, kOrigin), 270.0);
    EXPECT_EQ(Azimuth({-1, 0, 0}, kOrigin), 180.0);
    EXPECT_EQ(Azimuth({1, 0, 0}, kOrigin), 0.0);
    EXPECT_NEAR(Azimuth({1, 0, -1}, kOrigin), 315.0, 1e-12);
    EXPECT_NEAR(Azimuth({-1, 3, 1}, kOrigin), 135.0, 1e-12);
    EXPECT_EQ(Azimuth(kOrigin, kOrigin), 0.0);
}

TEST(Distance, IsEuclidean) {
    EXPECT_DOUBLE_EQ(Distance({4, 6, 3}, {1, 2, 3}), 5.0);
    EXPECT_EQ(Distance(kOrigin, kOrigin), 0.0);
}
