#include "render/CrownCover.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace grovewright {

namespace {

enum Cover : unsigned char { kSky, kLeaf, kWood };

// One side's picture: the kind and depth of the nearest surface at every pixel.
class SidePicture {
public:
    SidePicture(int width, int height)
        : width_(width), height_(height), kind_(static_cast<std::size_t>(width) * height, kSky),
          depth_(static_cast<std::size_t>(width) * height, std::numeric_limits<float>::infinity()) {}

    // Draws a triangle given in pixel coordinates (x right, y up, depth away
    // from the eye) with texture coordinates; opaque(u, v) says whether the
    // surface is there at a point.
    template <typename Opaque>
    void Triangle(const float (&p)[3][3], const float (&uv)[3][2], Cover kind, Opaque&& opaque) {
        const float area = (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]);
        if (!(std::fabs(area) > 1e-12f)) return;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({p[0][0], p[1][0], p[2][0]}))));
        const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({p[0][0], p[1][0], p[2][0]}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({p[0][1], p[1][1], p[2][1]}))));
        const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({p[0][1], p[1][1], p[2][1]}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                // Barycentric weights of the pixel's centre.
                const float w0 = ((p[1][0] - px) * (p[2][1] - py) - (p[2][0] - px) * (p[1][1] - py)) / area;
                const float w1 = ((p[2][0] - px) * (p[0][1] - py) - (p[0][0] - px) * (p[2][1] - py)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                const std::size_t at = static_cast<std::size_t>(y) * width_ + x;
                const float depth = w0 * p[0][2] + w1 * p[1][2] + w2 * p[2][2];
                if (depth >= depth_[at]) continue;
                if (!opaque(w0 * uv[0][0] + w1 * uv[1][0] + w2 * uv[2][0], w0 * uv[0][1] + w1 * uv[1][1] + w2 * uv[2][1]))
                    continue;
                depth_[at] = depth;
                kind_[at] = kind;
            }
    }

    // The shares of the outline's pixels.
    CrownSide Shares() const {
        std::vector<int> left(height_, width_), right(height_, -1), bottom(width_, height_), top(width_, -1);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                if (kind_[static_cast<std::size_t>(y) * width_ + x] == kSky) continue;
                left[y] = std::min(left[y], x), right[y] = std::max(right[y], x);
                bottom[x] = std::min(bottom[x], y), top[x] = std::max(top[x], y);
            }
        std::size_t inside = 0, counts[3] = {0, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = left[y]; x <= right[y]; ++x) {
                if (y < bottom[x] || y > top[x]) continue;
                ++inside;
                ++counts[kind_[static_cast<std::size_t>(y) * width_ + x]];
            }
        CrownSide side;
        if (inside == 0) return side;
        side.sky = static_cast<double>(counts[kSky]) / inside;
        side.leaves = static_cast<double>(counts[kLeaf]) / inside;
        side.wood = static_cast<double>(counts[kWood]) / inside;
        return side;
    }

private:
    int width_, height_;
    std::vector<Cover> kind_;
    std::vector<float> depth_;
};

// Whether the leaf image is at least half opaque at (u, v), v from the image's
// top row (as the model's leaves take it).
bool LeafOpaque(const PixelImage* image, float u, float v) {
    if (!image || image->channels != 4 || image->width == 0 || image->height == 0) return true;
    const float wrappedU = u - std::floor(u), wrappedV = v - std::floor(v);
    const int column = std::min(image->width - 1, static_cast<int>(wrappedU * image->width));
    // The image's rows go from the bottom up.
    const int row = std::min(image->height - 1, static_cast<int>((1.0f - wrappedV) * image->height));
    return image->At(row, column)[3] >= 128;
}

}  // namespace

CrownCover MeasureCrownCover(const TreeModel& model, const PixelImage* leafImage, int resolution) {
    CrownCover cover;
    const MeshPart* parts[3] = {&model.bark, &model.caps, &model.leaves};
    // The box the pictures frame: every part across, the leaves' heights up.
    float lowest = std::numeric_limits<float>::infinity(), highest = -lowest, reach = 0.0f;
    for (const MeshPart* part : parts) {
        if (part->Empty()) continue;
        highest = std::max(highest, part->maximum[1]);
        for (int axis : {0, 2}) reach = std::max({reach, std::fabs(part->minimum[axis]), std::fabs(part->maximum[axis])});
        if (model.leaves.Empty() || part == &model.leaves) lowest = std::min(lowest, part->minimum[1]);
    }
    if (!(highest > lowest) || !(reach > 0.0f)) return cover;
    // The widest the tree can be seen across, from any side, about its axis.
    const float across = 2.0f * reach * std::sqrt(2.0f), tall = highest - lowest;
    const float scale = resolution / std::max(across, tall);
    cover.width = std::max(1, static_cast<int>(std::ceil(across * scale)));
    cover.height = std::max(1, static_cast<int>(std::ceil(tall * scale)));
    for (int side = 0; side < 4; ++side) {
        const double turn = side * kPi / 2.0;
        const float c = static_cast<float>(std::cos(turn)), s = static_cast<float>(std::sin(turn));
        SidePicture picture(cover.width, cover.height);
        for (const MeshPart* part : parts) {
            const Cover kind = part == &model.leaves ? kLeaf : kWood;
            const std::size_t triangles = part->TriangleCount();
            for (std::size_t t = 0; t < triangles; ++t) {
                float p[3][3], uv[3][2];
                for (int k = 0; k < 3; ++k) {
                    const std::size_t v = part->indices[3 * t + k];
                    const float x = part->positions[3 * v], y = part->positions[3 * v + 1], z = part->positions[3 * v + 2];
                    p[k][0] = (c * x + s * z) * scale + 0.5f * cover.width;
                    p[k][1] = (y - lowest) * scale;
                    p[k][2] = -s * x + c * z;
                    uv[k][0] = part->uvs[2 * v];
                    uv[k][1] = part->uvs[2 * v + 1];
                }
                picture.Triangle(p, uv, kind, [&](float u, float v) {
                    return kind != kLeaf || LeafOpaque(leafImage, u, v);
                });
            }
        }
        cover.sides[side] = picture.Shares();
    }
    return cover;
}

}  // namespace grovewright
