// How closed a crown is, measured from the model's four sides.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/CrownCover.h"

using namespace grovewright;

namespace {

// Adds an axis-aligned rectangle: from corner a spanning along the unit
// vectors right and up by w and h, with texture coordinates over the whole
// image (v from the top row).
void AddRectangle(MeshPart& part, const Vector3D& a, const Vector3D& right, const Vector3D& up, float w, float h) {
    const auto first = static_cast<std::uint32_t>(part.VertexCount());
    const Vector3D corners[4] = {a, a + right * w, a + right * w + up * h, a + up * h};
    const float uvs[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int k = 0; k < 4; ++k) {
        for (double c : {corners[k].x, corners[k].y, corners[k].z}) {
            part.positions.push_back(static_cast<float>(c));
            part.normals.push_back(0.0f);
        }
        part.uvs.push_back(uvs[k][0]), part.uvs.push_back(uvs[k][1]);
        for (int axis = 0; axis < 3; ++axis) {
            const float v = part.positions[part.positions.size() - 3 + axis];
            part.minimum[axis] = part.VertexCount() == 1 ? v : std::min(part.minimum[axis], v);
            part.maximum[axis] = part.VertexCount() == 1 ? v : std::max(part.maximum[axis], v);
        }
    }
    for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) part.indices.push_back(first + i);
}

// A square frame 2 m wide around a 1 m hole, standing on the plane that holds
// the vertical and the unit vector right, centred on the vertical axis from
// bottom up.
void AddFrame(MeshPart& part, const Vector3D& right, float bottom) {
    const Vector3D up(0, 1, 0);
    const Vector3D corner = right * -1.0 + up * bottom;
    AddRectangle(part, corner, right, up, 2.0f, 0.5f);                                  // bottom bar
    AddRectangle(part, corner + up * 1.5, right, up, 2.0f, 0.5f);                       // top bar
    AddRectangle(part, corner + up * 0.5, right, up, 0.5f, 1.0f);                       // left post
    AddRectangle(part, corner + up * 0.5 + right * 1.5, right, up, 0.5f, 1.0f);         // right post
}

}  // namespace

TEST(CrownCover, TheSkyInsideTheOutlineIsMeasuredFromEverySide) {
    TreeModel model;
    // Two crossed frames of leaves: each side sees one face on (its hole a
    // quarter of its outline) and the other edge on.
    AddFrame(model.leaves, Vector3D(1, 0, 0), 3.0f);
    AddFrame(model.leaves, Vector3D(0, 0, 1), 3.0f);
    // A trunk below the leaves is not part of the crown.
    AddRectangle(model.bark, Vector3D(-0.1, 0, 0), Vector3D(1, 0, 0), Vector3D(0, 1, 0), 0.2f, 3.0f);
    const CrownCover cover = MeasureCrownCover(model, nullptr, 400);
    for (const CrownSide& side : cover.sides) {
        EXPECT_NEAR(side.sky, 0.25, 0.02);
        EXPECT_NEAR(side.leaves, 0.75, 0.02);
        EXPECT_NEAR(side.wood, 0.0, 1e-9);
    }
    EXPECT_NEAR(cover.Sky(), 0.25, 0.02);
}

TEST(CrownCover, WoodInFrontHidesLeavesAndTheLeafImageCutsThemOut) {
    TreeModel model;
    AddRectangle(model.leaves, Vector3D(-1, 1, 0), Vector3D(1, 0, 0), Vector3D(0, 1, 0), 2.0f, 2.0f);
    AddRectangle(model.leaves, Vector3D(0, 1, -1), Vector3D(0, 0, 1), Vector3D(0, 1, 0), 2.0f, 2.0f);
    // A bar of wood in front of the face seen from the front (the eye looks along +z).
    AddRectangle(model.bark, Vector3D(-1, 1.5, -0.5), Vector3D(1, 0, 0), Vector3D(0, 1, 0), 2.0f, 0.5f);
    const CrownCover solid = MeasureCrownCover(model, nullptr, 200);
    EXPECT_NEAR(solid.sides[0].wood, 0.25, 0.02);
    EXPECT_NEAR(solid.sides[0].leaves, 0.75, 0.02);
    EXPECT_NEAR(solid.sides[0].sky, 0.0, 1e-9);
    // From behind the leaves come first.
    EXPECT_NEAR(solid.sides[2].wood, 0.0, 1e-9);

    // A leaf image with a clear square hole in its middle: the hole shows sky.
    PixelImage image(64, 64, 4);
    for (int row = 0; row < 64; ++row)
        for (int column = 0; column < 64; ++column)
            image.At(row, column)[3] = row >= 16 && row < 48 && column >= 16 && column < 48 ? 0 : 255;
    const CrownCover cut = MeasureCrownCover(model, &image, 200);
    EXPECT_NEAR(cut.sides[1].sky, 0.25, 0.03);
    EXPECT_NEAR(cut.sides[3].sky, 0.25, 0.03);
    // An image without alpha covers the whole leaf.
    const PixelImage opaque(8, 8, 3);
    EXPECT_NEAR(MeasureCrownCover(model, &opaque, 200).sides[1].sky, 0.0, 1e-9);
    // Nothing to measure: no pixels, no shares.
    const CrownCover empty = MeasureCrownCover(TreeModel(), nullptr, 200);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.Sky(), 0.0);
}
