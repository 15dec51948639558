#include "render/PaintedTextures.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace grovewright::PaintedTextures {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kS = kSize;

// ---- Stable noise ---------------------------------------------------------

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    return h ^ (h >> 16);
}
float Unit(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    return static_cast<float>(Hash(x, y, seed) >> 8) / 16777216.0f;
}

float Smooth(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
float SmoothStep(float a, float b, float x) {
    const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
float Mix(float a, float b, float t) { return a + (b - a) * t; }
float Fract(float x) { return x - std::floor(x); }
// 0 .. 1 to a byte, rounded.
std::uint8_t ToByte(float value) { return static_cast<std::uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f); }

// Value noise on a lattice of px x py cells that repeats across the unit square.
float Noise(float u, float v, int px, int py, std::uint32_t seed) {
    const float x = Fract(u) * px, y = Fract(v) * py;
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const float fx = Smooth(x - x0), fy = Smooth(y - y0);
    const auto at = [&](int i, int j) {
        return Unit(static_cast<std::uint32_t>((i % px + px) % px), static_cast<std::uint32_t>((j % py + py) % py),
                    seed);
    };
    return Mix(Mix(at(x0, y0), at(x0 + 1, y0), fx), Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx), fy);
}

// Octaves of the noise, each twice as fine and half as strong: 0 .. 1, seamless.
float Fbm(float u, float v, int px, int py, int octaves, std::uint32_t seed) {
    float sum = 0, weight = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * Noise(u, v, px << o, py << o, seed + 101u * o);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// Fbm sampled once on a grid of side cells (wrapping round) and read back
// bilinearly: painting reads the same smooth noise hundreds of thousands of times.
class Field {
public:
    Field(int px, int py, int octaves, std::uint32_t seed, int side = 128) : side_(side), values_(side * side) {
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i)
                values_[j * side + i] =
                    Fbm(static_cast<float>(i) / side, static_cast<float>(j) / side, px, py, octaves, seed);
    }
    float operator()(float u, float v) const {
        const float x = Fract(u) * side_, y = Fract(v) * side_;
        const int x0 = static_cast<int>(x) % side_, y0 = static_cast<int>(y) % side_;
        const int x1 = (x0 + 1) % side_, y1 = (y0 + 1) % side_;
        const float fx = x - std::floor(x), fy = y - std::floor(y);
        return Mix(Mix(values_[y0 * side_ + x0], values_[y0 * side_ + x1], fx),
                   Mix(values_[y1 * side_ + x0], values_[y1 * side_ + x1], fx), fy);
    }

private:
    int side_;
    std::vector<float> values_;
};

// ---- Painting -------------------------------------------------------------

struct Colour {
    float r, g, b;
    Colour operator*(float k) const { return {r * k, g * k, b * k}; }
    Colour operator+(const Colour& o) const { return {r + o.r, g + o.g, b + o.b}; }
};
Colour Blend(const Colour& a, const Colour& b, float t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

// A picture painted back to front with coverage (alpha), rows from the bottom.
struct Canvas {
    std::vector<float> rgba = std::vector<float>(static_cast<std::size_t>(kS) * kS * 4, 0.0f);

    void Over(int column, int row, const Colour& c, float coverage) {
        if (coverage <= 0.0f) return;
        float* p = &rgba[(static_cast<std::size_t>(row) * kS + column) * 4];
        const float keep = 1.0f - coverage;
        p[0] = c.r * coverage + p[0] * keep;
        p[1] = c.g * coverage + p[1] * keep;
        p[2] = c.b * coverage + p[2] * keep;
        p[3] = coverage + p[3] * keep;
    }
    // Colours are stored premultiplied; the image takes them straight.
    PixelImage Image() const {
        PixelImage image(kS, kS, 4);
        for (std::size_t i = 0; i < static_cast<std::size_t>(kS) * kS; ++i) {
            const float a = rgba[4 * i + 3];
            for (int c = 0; c < 3; ++c) {
                // Fully clear pixels take the colour of the leaf green, so that filtering
                // at the shape's edge does not darken it.
                const float value = a > 1e-4f ? rgba[4 * i + c] / a : (c == 1 ? 0.35f : 0.2f);
                image.pixels[4 * i + c] = ToByte(value);
            }
            image.pixels[4 * i + 3] = ToByte(a);
        }
        return image;
    }
};

struct Point {
    float x, y;
};

// A round-ended stroke from a to b (pixels), its radius going from ra to rb and
// its colour from ca to cb, antialiased over one pixel.
void Stroke(Canvas& canvas, Point a, Point b, float ra, float rb, const Colour& ca, const Colour& cb) {
    const float reach = std::max(ra, rb) + 1.0f;
    const int c0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
    const int c1 = std::min(kS - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
    const int r0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    const int r1 = std::min(kS - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    const float dx = b.x - a.x, dy = b.y - a.y, length2 = std::max(dx * dx + dy * dy, 1e-6f);
    for (int row = r0; row <= r1; ++row) {
        for (int column = c0; column <= c1; ++column) {
            const float px = column + 0.5f - a.x, py = row + 0.5f - a.y;
            const float t = std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f);
            const float ex = px - t * dx, ey = py - t * dy;
            const float coverage = std::clamp(Mix(ra, rb, t) + 0.5f - std::sqrt(ex * ex + ey * ey), 0.0f, 1.0f);
            canvas.Over(column, row, Blend(ca, cb, t), coverage);
        }
    }
}

// ---- Leaves ---------------------------------------------------------------

enum class Shape { Lobed, Serrate, Lanceolate, Palmate, Leaflet };

struct LeafStyle {
    Shape shape;
    Colour green;
    float veinSlope;  // how steeply the side veins rise toward the tip
    int veins;        // side veins per side
    float aspect;     // half-width over length of the leaf on a twig
};

const LeafStyle kStyles[] = {
    {Shape::Lobed, {0.31f, 0.47f, 0.16f}, 0.55f, 5, 0.42f},
    {Shape::Serrate, {0.38f, 0.57f, 0.18f}, 0.75f, 8, 0.50f},
    {Shape::Lanceolate, {0.42f, 0.55f, 0.26f}, 1.60f, 14, 0.16f},
    {Shape::Palmate, {0.30f, 0.50f, 0.15f}, 0.0f, 0, 0.75f},
    {Shape::Leaflet, {0.33f, 0.51f, 0.18f}, 1.20f, 10, 0.22f},
};

// x^a (1 - x)^b scaled to peak at 1.
float Profile(float t, float a, float b) {
    if (t <= 0 || t >= 1) return 0;
    const float peak = a / (a + b);
    return std::pow(t, a) * std::pow(1 - t, b) / (std::pow(peak, a) * std::pow(1 - peak, b));
}

// The blade spans t 0 .. 1 along it, from a short stalk to just short of the
// card's top (no leaf touches the card's edges). A palmate blade's
// lobes spread from a centre above the stalk; its x is squeezed by kPalmWide.
constexpr float kStalk = 0.06f, kBladeEnd = 0.97f, kPalmCentre = 0.36f, kPalmWide = 1.4f;
constexpr int kTable = 1024;
// A palmate blade's five lobes: angle from the tip (radians) and reach, the middle one longest.
constexpr float kPalmLobes[5][2] = {{0.0f, 0.62f}, {1.0f, 0.56f}, {-1.0f, 0.56f}, {1.95f, 0.34f}, {-1.95f, 0.34f}};

// What a leaf shape's margin is, tabulated: the half-width by t along a pinnate
// blade, or the lobes' reach by angle about a palmate blade's centre.
struct LeafShape {
    const LeafStyle* style;
    std::array<float, kTable + 1> reach{};

    explicit LeafShape(const LeafStyle& s) : style(&s) {
        for (int k = 0; k <= kTable; ++k) {
            const float t = static_cast<float>(k) / kTable;
            switch (s.shape) {
                case Shape::Lobed:
                    reach[k] = 0.95f * Profile(t, 0.75f, 0.45f) *
                               (0.52f + 0.48f * std::pow(std::fabs(std::sin(kPi * 4.5f * t)), 0.6f));
                    break;
                case Shape::Serrate:
                    reach[k] = 0.95f * Profile(t, 0.55f, 0.9f) * (1.0f - 0.07f * Fract(t * 24.0f));
                    break;
                case Shape::Lanceolate:
                    reach[k] = 0.95f * Profile(t, 0.8f, 1.1f) * (1.0f - 0.03f * Fract(t * 40.0f));
                    break;
                case Shape::Leaflet: reach[k] = 0.95f * Profile(t, 0.9f, 1.2f); break;
                case Shape::Palmate: {
                    // Pointed lobes (t runs over the angle, -pi .. pi), coarse teeth along
                    // them, a deep notch at the stalk.
                    const float angle = (t * 2 - 1) * kPi;
                    float r = 0.17f;
                    for (const auto& lobe : kPalmLobes) {
                        const float off = std::fabs(angle - lobe[0]) / 0.5f;
                        if (off < 1) r = std::max(r, 0.17f + (lobe[1] - 0.17f) * std::pow(1 - off, 1.3f));
                    }
                    reach[k] = r * (1.0f - 0.08f * Fract(angle * 9.0f / kPi + 0.5f)) *
                               (1.0f - 0.8f * SmoothStep(2.7f, 3.1f, std::fabs(angle)));
                    break;
                }
            }
        }
    }
    float At(float t) const {
        const float x = std::clamp(t, 0.0f, 1.0f) * kTable;
        const int k = std::min(static_cast<int>(x), kTable - 1);
        return Mix(reach[k], reach[k + 1], x - k);
    }
};

// How far inside the leaf a point is (leaf units, x across -1 .. 1, y along
// 0 .. 1; positive inside), how far out toward the margin (0 .. 1) and how far
// from a vein.
struct LeafPoint {
    float inside, margin, vein;
};

LeafPoint Measure(const LeafShape& leaf, float x, float y) {
    const LeafStyle& style = *leaf.style;
    if (style.shape == Shape::Palmate) {
        const float dx = x / kPalmWide, dy = y - kPalmCentre;
        const float radius = std::sqrt(dx * dx + dy * dy), angle = std::atan2(dx, dy);
        const float reach = leaf.At(angle / (2 * kPi) + 0.5f);
        // Veins run out along the five lobes.
        float vein = 10;
        for (const auto& lobe : kPalmLobes) {
            const float off = angle - lobe[0];
            vein = std::min(vein, std::fabs(std::sin(off)) * radius + (std::fabs(off) > 1.5f ? 10 : 0));
        }
        return {reach - radius, std::clamp(radius / std::max(reach, 1e-3f), 0.0f, 1.0f), vein};
    }
    const float t = (y - kStalk) / (kBladeEnd - kStalk);
    const float width = t <= 0 || t >= 1 ? 0.0f : leaf.At(t);
    const float ax = std::fabs(x);
    LeafPoint p{width - ax, width > 1e-4f ? std::clamp(ax / width, 0.0f, 1.0f) : 1.0f, 0};
    // Side veins leave the midrib and rise toward the margin.
    const float spacing = 1.0f / (style.veins + 1);
    const float s = t - ax * style.veinSlope * 0.5f;
    const float k = std::round(s / spacing);
    const float side = (k < 1 || k > style.veins) ? 1.0f : std::fabs(s - k * spacing) / 0.5f;
    p.vein = std::min(ax, side * 2.0f);
    return p;
}

// The noise a leaf is coloured with: blotches, yellowing and fine grain.
struct LeafNoise {
    Field blotch{4, 4, 4, 11}, yellow{3, 3, 3, 12};
};

// The leaf's coverage and colour at leaf point (x, y); pixel: a pixel's size in
// leaf units along y; (du, dv) moves a leaf of a twig to its own part of the noise.
float LeafAt(const LeafShape& leaf, const LeafNoise& noise, float x, float y, float pixel, float du, float dv,
             Colour& colour) {
    const LeafStyle& style = *leaf.style;
    if (y < 0) return 0;
    // The stalk, up to the blade (a palmate blade's centre).
    const float stalkTop = style.shape == Shape::Palmate ? kPalmCentre : kStalk + 0.01f;
    float stalk = 0;
    if (y < stalkTop) stalk = std::clamp((0.022f - std::fabs(x) * 0.5f) / pixel + 0.5f, 0.0f, 1.0f);
    const LeafPoint p = Measure(leaf, x, y);
    const float coverage = std::clamp(p.inside / pixel + 0.5f, 0.0f, 1.0f);
    if (coverage <= 0) {
        colour = Colour{0.42f, 0.36f, 0.16f};
        return stalk;
    }
    const float u = 0.5f + 0.5f * x + du, v = y + dv;
    // Blotches of lighter and darker green, a lighter half (its underside turned to
    // the light), a darker margin and a touch of yellow here and there.
    const float blotch = noise.blotch(u, v) - 0.5f;
    const auto gu = static_cast<std::uint32_t>(Fract(u) * 4096), gv = static_cast<std::uint32_t>(Fract(v) * 4096);
    const float grain = Unit(gu, gv, 5) - 0.5f;
    const float light =
        1.0f + 0.30f * blotch + 0.05f * grain + (x > 0 ? 0.07f : -0.03f) - 0.18f * SmoothStep(0.7f, 1.0f, p.margin);
    Colour c = style.green * light;
    c = Blend(c, Colour{0.55f, 0.52f, 0.18f} * light, SmoothStep(0.62f, 0.85f, noise.yellow(u, v)) * 0.5f);
    // The midrib and the side veins lighter and yellower, fading toward the margin.
    const float veinWidth = 0.010f + pixel * 0.6f;
    const float onVein = (1.0f - SmoothStep(veinWidth * 0.5f, veinWidth, p.vein)) * (1.0f - 0.6f * p.margin);
    colour = Blend(c, Colour{0.62f, 0.66f, 0.32f} * light, onVein * 0.75f);
    return std::max(coverage, stalk);
}

// One leaf filling the image: the stalk at the bottom middle, the tip at the top.
PixelImage PaintBlade(const LeafStyle& style) {
    const LeafShape leaf(style);
    const LeafNoise noise;
    Canvas canvas;
    const float pixel = 1.0f / kS;
    for (int row = 0; row < kS; ++row) {
        const float y = (row + 0.5f) / kS;
        for (int column = 0; column < kS; ++column) {
            const float x = (column + 0.5f) / kS * 2.0f - 1.0f;
            Colour c{};
            const float coverage = LeafAt(leaf, noise, x, y, 2 * pixel, 0, 0, c);
            canvas.Over(column, row, c, coverage);
        }
    }
    return canvas.Image();
}

// A leaf painted onto a canvas: its stalk's foot at base (pixels), pointing
// along the unit direction, length pixels long; tint darkens or lightens it.
void PlaceLeaf(Canvas& canvas, const LeafShape& leaf, const LeafNoise& noise, Point base, Point direction, float length,
               float tint, int index) {
    const bool palmate = leaf.style->shape == Shape::Palmate;
    // A palmate leaf is as wide as long; x reaches kPalmWide times its lobes' reach.
    const float halfWidth = length * (palmate ? 0.75f : leaf.style->aspect);
    const Point across{direction.y, -direction.x};
    const float reach = length + halfWidth;
    const int c0 = std::max(0, static_cast<int>(base.x - reach)),
              c1 = std::min(kS - 1, static_cast<int>(base.x + reach));
    const int r0 = std::max(0, static_cast<int>(base.y - reach)),
              r1 = std::min(kS - 1, static_cast<int>(base.y + reach));
    const float du = 0.31f * index, dv = 0.17f * index;
    for (int row = r0; row <= r1; ++row) {
        for (int column = c0; column <= c1; ++column) {
            const float px = column + 0.5f - base.x, py = row + 0.5f - base.y;
            const float y = (px * direction.x + py * direction.y) / length;
            const float x = (px * across.x + py * across.y) / halfWidth;
            if (y < 0 || y > 1 || std::fabs(x) > 1.5f) continue;
            Colour c{};
            const float coverage = LeafAt(leaf, noise, x, y, 1.6f / length, du, dv, c);
            canvas.Over(column, row, c * tint, coverage);
        }
    }
}

Point Direction(float degreesFromUp) {
    const float a = degreesFromUp * kPi / 180.0f;
    return {std::sin(a), std::cos(a)};
}

// A short twig up the middle with leaves on alternate sides and one at its tip,
// smaller toward the tip, as a twig card carries them.
PixelImage PaintTwig(const LeafStyle& style, std::uint32_t seed) {
    const LeafShape leaf(style);
    const LeafNoise noise;
    Canvas canvas;
    const Colour bark{0.36f, 0.26f, 0.17f}, barkTip{0.42f, 0.34f, 0.20f};
    const bool narrow = style.aspect < 0.3f;
    const int leaves = narrow ? 9 : style.shape == Shape::Palmate ? 4 : 6;
    const float top = 0.62f * kS;
    // The stem bends a little; leaves sit on it.
    auto stem = [&](float s) { return Point{kS * 0.5f + 10.0f * std::sin(s * 2.2f), s * top + 4}; };
    for (int i = 0; i < 24; ++i)
        Stroke(canvas, stem(i / 24.0f), stem((i + 1) / 24.0f), Mix(5.0f, 2.2f, i / 24.0f),
               Mix(5.0f, 2.2f, (i + 1) / 24.0f), Blend(bark, barkTip, i / 24.0f),
               Blend(bark, barkTip, (i + 1) / 24.0f));
    const float longest = narrow ? 0.42f * kS : style.shape == Shape::Palmate ? 0.40f * kS : 0.40f * kS;
    for (int i = 0; i <= leaves; ++i) {
        const bool tip = i == leaves;
        const float s = tip ? 1.0f : 0.16f + 0.80f * i / leaves;
        const Point at = stem(s);
        const float side = i % 2 == 0 ? 1.0f : -1.0f;
        const float jitter = (Unit(i, 1, seed) - 0.5f) * 14.0f;
        const float angle = tip ? 4.0f : side * ((narrow ? 34.0f : 58.0f) - 14.0f * s + jitter);
        const float length = longest * (tip ? 0.80f : 0.70f + 0.30f * std::sin(kPi * (0.25f + 0.6f * s))) *
                             (0.9f + 0.2f * Unit(i, 2, seed));
        const float tint = 0.86f + 0.26f * Unit(i, 3, seed);
        PlaceLeaf(canvas, leaf, noise, at, Direction(angle), length, tint, i + 1);
    }
    return canvas.Image();
}

// Needles along a shoot from a to b (pixels): count needles on alternate
// sides, each length long, leaning forward from the shoot by about lean degrees.
void Needles(Canvas& canvas, Point a, Point b, int count, float length, float lean, float radius, std::uint32_t seed) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float heading = std::atan2(dx, dy) * 180.0f / kPi;
    for (int i = 0; i < count; ++i) {
        const float s = (i + 0.5f) / count;
        const Point at{a.x + dx * s, a.y + dy * s};
        const float r = Unit(i, 0, seed), q = Unit(i, 1, seed);
        // Some needles point at the viewer and look short.
        const float shortened = q < 0.3f ? 0.35f + q : 1.0f;
        const float side = i % 2 == 0 ? 1.0f : -1.0f;
        const float angle = heading + side * (lean + (r - 0.5f) * 30.0f);
        const float l = length * shortened * (0.8f + 0.35f * Unit(i, 2, seed)) * (1.0f - 0.35f * s * s);
        const Point d = Direction(angle);
        const float tone = 0.8f + 0.4f * Unit(i, 3, seed);
        const Colour base = Colour{0.13f, 0.26f, 0.10f} * tone, tip = Colour{0.22f, 0.38f, 0.14f} * tone;
        Stroke(canvas, at, {at.x + d.x * l, at.y + d.y * l}, radius, radius * 0.55f, base, tip);
    }
}

PixelImage PaintSpruce(std::uint32_t seed) {
    Canvas canvas;
    const Colour twig{0.45f, 0.32f, 0.18f};
    const Point foot{kS * 0.5f, 6}, tip{kS * 0.52f, kS * 0.93f};
    const Point sides[2][2] = {{{kS * 0.5f, kS * 0.30f}, {kS * 0.17f, kS * 0.70f}},
                               {{kS * 0.505f, kS * 0.48f}, {kS * 0.84f, kS * 0.83f}}};
    for (const auto& side : sides) Stroke(canvas, side[0], side[1], 2.5f, 1.5f, twig, twig);
    Stroke(canvas, foot, tip, 3.5f, 2.0f, twig, twig);
    for (int k = 0; k < 2; ++k) Needles(canvas, sides[k][0], sides[k][1], 70, 36.0f, 60.0f, 2.2f, seed + 10u + k);
    Needles(canvas, foot, tip, 150, 44.0f, 62.0f, 2.4f, seed);
    return canvas.Image();
}

PixelImage PaintPine(std::uint32_t seed) {
    Canvas canvas;
    const Colour twig{0.55f, 0.36f, 0.20f};
    const Point foot{kS * 0.5f, 4}, top{kS * 0.5f, kS * 0.42f};
    Stroke(canvas, foot, top, 6.0f, 4.5f, twig, Colour{0.62f, 0.44f, 0.26f});
    // Pairs of long needles from the upper shoot, spreading into a brush.
    const int bundles = 46;
    for (int i = 0; i < bundles; ++i) {
        const float s = 0.25f + 0.75f * (i + 0.5f) / bundles;
        const Point at{foot.x + (top.x - foot.x) * s + (Unit(i, 4, seed) - 0.5f) * 6, foot.y + (top.y - foot.y) * s};
        const float spread = Mix(75.0f, 12.0f, s);
        for (int n = 0; n < 2; ++n) {
            const float angle = (Unit(i, 5 + n, seed) * 2 - 1) * spread;
            const float length = kS * (0.34f + 0.16f * Unit(i, 7 + n, seed)) * (0.7f + 0.3f * s);
            const Point d = Direction(angle);
            const float tone = 0.8f + 0.4f * Unit(i, 9 + n, seed);
            Stroke(canvas, at, {at.x + d.x * length, at.y + d.y * length}, 2.3f, 1.2f,
                   Colour{0.16f, 0.30f, 0.14f} * tone, Colour{0.28f, 0.42f, 0.20f} * tone);
        }
    }
    // The bud at the tip.
    Stroke(canvas, top, {top.x, top.y + 26}, 7.0f, 3.0f, Colour{0.60f, 0.42f, 0.24f}, Colour{0.70f, 0.55f, 0.35f});
    return canvas.Image();
}

// ---- Bark -----------------------------------------------------------------

// A bark's colour and relief (0 deep .. 1 high) at (u, v) in the unit square.
struct BarkSample {
    Colour colour;
    float height;
};

// Deep vertical furrows between thick ridges, broken across here and there.
struct OakBark {
    Field warp{3, 2, 4, 11}, width{6, 3, 2, 16}, rough{16, 16, 3, 13, 256}, lichen{5, 5, 3, 14};
    BarkSample operator()(float u, float v) const {
        const float q = u * 8 + (warp(u, v) - 0.5f) * 4.0f;
        const float across = Fract(q);
        // Ridges of uneven width with rounded shoulders.
        const float half = 0.22f + 0.22f * width(u, v);
        const float ridge = SmoothStep(0.5f - half - 0.12f, 0.5f - half + 0.08f, across) *
                            SmoothStep(0.5f + half + 0.12f, 0.5f + half - 0.08f, across);
        // Each ridge breaks across at its own places, at its own pace.
        const auto column = static_cast<std::uint32_t>(static_cast<int>(std::floor(q)) % 8 + 8);
        const float along =
            Fract(v * (2 + static_cast<int>(Unit(column, 1, 15) * 3)) + Unit(column, 0, 15) + 0.15f * (across - 0.5f));
        const float crack = SmoothStep(0.05f, 0.0f, along) + SmoothStep(0.95f, 1.0f, along);
        const float r = rough(u, v);
        const float height = ridge * (1.0f - 0.7f * crack) * (0.65f + 0.35f * r);
        Colour c = Blend(Colour{0.13f, 0.11f, 0.09f} * (0.7f + 0.6f * r), Colour{0.43f, 0.40f, 0.36f},
                         SmoothStep(0.05f, 0.6f, height));
        c = Blend(c, Colour{0.46f, 0.48f, 0.38f}, 0.5f * SmoothStep(0.6f, 0.75f, lichen(u, v)) * height);
        return {c * (0.8f + 0.4f * r), height};
    }
};

// Chalk white with dark lenticels across it, black patches and a warm tint where it peels.
struct BirchBark {
    Field grain{6, 24, 3, 21, 256}, patches{5, 14, 4, 25}, peel{8, 20, 3, 27};
    BarkSample operator()(float u, float v) const {
        const float g = grain(u, v);
        Colour c = Colour{0.88f, 0.86f, 0.81f} * (0.9f + 0.15f * g);
        float height = 0.8f + 0.1f * g;
        const int cu = 9, cv = 40;
        const int i = static_cast<int>(u * cu), j = static_cast<int>(v * cv);
        const float lu = u * cu - i, lv = v * cv - j;
        if (Unit(i, j, 24) < 0.45f) {
            // Each dash stays inside its cell, so the cells (and the seam) meet on plain bark.
            const float halfLength = 0.12f + 0.33f * Unit(i, j, 23);
            const float centreU = halfLength + (1 - 2 * halfLength) * Unit(i, j, 22);
            const float thickness = 0.05f + 0.10f * Unit(i, j, 28), centreV = 0.3f + 0.4f * Unit(i, j, 29);
            const float du = std::fabs(lu - centreU);
            const float dash = (1 - SmoothStep(halfLength * 0.6f, halfLength, du)) *
                               (1 - SmoothStep(thickness * 0.5f, thickness, std::fabs(lv - centreV)));
            c = Blend(c, Colour{0.26f, 0.22f, 0.19f}, dash * 0.9f);
            height -= 0.5f * dash;
        }
        const float patch = SmoothStep(0.64f, 0.71f, patches(u, v));
        c = Blend(c, Colour{0.10f, 0.09f, 0.08f}, patch);
        height -= 0.3f * patch;
        c = Blend(c, Colour{0.80f, 0.62f, 0.48f}, 0.35f * SmoothStep(0.7f, 0.8f, peel(u, v)) * (1 - patch));
        return {c, height};
    }
};

// Seamless Voronoi on a grid of nx x ny cells, one jittered centre in each:
// the distance to the nearest centre, the gap to the second nearest, and the
// nearest cell's number.
struct Cells {
    float nearest, gap;
    std::uint32_t cell;
};
class Voronoi {
public:
    Voronoi(int nx, int ny, std::uint32_t seed) : nx_(nx), ny_(ny), centres_(static_cast<std::size_t>(nx) * ny) {
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                centres_[static_cast<std::size_t>(j) * nx + i] = {0.1f + 0.8f * Unit(i, j, seed),
                                                                  0.1f + 0.8f * Unit(i, j, seed + 1u)};
    }
    Cells operator()(float u, float v) const {
        const float x = Fract(u) * nx_, y = Fract(v) * ny_;
        const int ix = static_cast<int>(x), iy = static_cast<int>(y);
        float first = 1e9f, second = 1e9f;
        std::uint32_t cell = 0;
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
                const int ci = ix + di, cj = iy + dj;
                const int wi = (ci + nx_) % nx_, wj = (cj + ny_) % ny_;
                const Point& centre = centres_[static_cast<std::size_t>(wj) * nx_ + wi];
                const float dx = ci + centre.x - x, dy = cj + centre.y - y, d = dx * dx + dy * dy;
                if (d < first) {
                    second = first, first = d, cell = static_cast<std::uint32_t>(wi * 977 + wj);
                } else if (d < second) {
                    second = d;
                }
            }
        first = std::sqrt(first);
        return {first, std::sqrt(second) - first, cell};
    }

private:
    int nx_, ny_;
    std::vector<Point> centres_;
};

// Long orange plates, flaking in layers, between dark crevices.
struct PineBark {
    Field warp{4, 4, 2, 31}, flake{24, 24, 3, 33, 256};
    Voronoi plateCells{8, 4, 32}, layerCells{24, 14, 35};
    BarkSample operator()(float u, float v) const {
        const float w = warp(u, v) - 0.5f;
        const Cells plates = plateCells(u + 0.05f * w, v + 0.08f * w);
        const Cells layers = layerCells(u, v);
        const float crevice = SmoothStep(0.03f, 0.22f, plates.gap);
        const float f = flake(u, v);
        const float tone = Unit(plates.cell, 0, 34);
        Colour plate = Blend(Colour{0.72f, 0.40f, 0.20f}, Colour{0.50f, 0.37f, 0.28f}, tone * 0.8f);
        // Flakes: the smaller cells' edges as thin lines on the plate.
        const float edge = 1.0f - SmoothStep(0.0f, 0.06f, layers.gap);
        plate = plate * (0.8f + 0.35f * f - 0.25f * edge);
        const Colour c = Blend(Colour{0.15f, 0.09f, 0.06f}, plate, crevice);
        return {c, crevice * (0.75f + 0.25f * f - 0.15f * edge)};
    }
};

// Long ridges that part and join again around diamond-shaped furrows.
struct WillowBark {
    Field warp{3, 3, 3, 41}, rough{20, 20, 3, 42, 256};
    BarkSample operator()(float u, float v) const {
        const float w = (warp(u, v) - 0.5f) * 2.0f;
        const float q1 = u * 11 + v * 2 + w, q2 = u * 11 - v * 2 + w + 0.5f;
        const float ridge = std::pow(std::max(std::fabs(std::sin(kPi * q1)), std::fabs(std::sin(kPi * q2))), 4.0f);
        const float r = rough(u, v);
        const float height = ridge * (0.7f + 0.3f * r);
        const Colour c =
            Blend(Colour{0.15f, 0.13f, 0.11f}, Colour{0.46f, 0.41f, 0.34f}, SmoothStep(0.15f, 0.85f, height));
        return {c * (0.85f + 0.3f * r), height};
    }
};

// Rings of leaf scars at uneven spacing over a fibrous grey-brown stem.
struct PalmBark {
    Field wobble{4, 2, 2, 51}, fibre{64, 6, 2, 52, 512}, stain{3, 3, 3, 53};
    BarkSample operator()(float u, float v) const {
        // Mid-band at the seam (v 0), where the texture repeats along the stem.
        const float ring = Fract(v * 6 + 0.5f + 0.25f * (wobble(u, v) - 0.5f));
        // A scar (a narrow groove) then a raised band that wears down to the next scar.
        const float scar = 1.0f - SmoothStep(0.0f, 0.07f, ring) * SmoothStep(1.0f, 0.93f, ring);
        const float f = fibre(u, v);
        const float height = (1.0f - ring * 0.5f) * (1.0f - 0.8f * scar) * (0.8f + 0.2f * f);
        Colour c = Blend(Colour{0.60f, 0.55f, 0.46f}, Colour{0.42f, 0.38f, 0.31f}, ring);
        c = Blend(c, Colour{0.22f, 0.19f, 0.16f}, scar * 0.85f);
        c = c * (0.8f + 0.3f * f) * (0.85f + 0.3f * stain(u, v));
        return {c, height};
    }
};

// Smooth grey, faintly mottled, with the odd ring where a branch was.
struct BeechBark {
    Field mottle{4, 6, 4, 61}, fine{32, 32, 2, 62, 256}, marks{3, 3, 2, 63};
    BarkSample operator()(float u, float v) const {
        const float m = mottle(u, v), f = fine(u, v);
        Colour c = Blend(Colour{0.60f, 0.60f, 0.58f}, Colour{0.52f, 0.53f, 0.50f}, SmoothStep(0.4f, 0.75f, m));
        const float crease = SmoothStep(0.96f, 1.0f, std::fabs(std::sin(kPi * (v * 5 + 0.6f * m)))) *
                             SmoothStep(0.5f, 0.7f, marks(u, v));
        c = Blend(c, Colour{0.35f, 0.34f, 0.31f}, crease * 0.6f);
        return {c * (0.92f + 0.16f * f), 0.8f + 0.1f * f - 0.3f * crease};
    }
};

// How deep each bark's relief looks in its normal map.
constexpr float kReliefs[kBarkCount] = {9.0f, 2.0f, 7.0f, 8.0f, 5.0f, 12.0f};

template <typename Painter>
PaintedBark PaintBarkWith(const Painter& paint, float relief) {
    PaintedBark painted{PixelImage(kS, kS, 3), PixelImage(kS, kS, 3)};
    std::vector<float> height(static_cast<std::size_t>(kS) * kS);
    for (int row = 0; row < kS; ++row)
        for (int column = 0; column < kS; ++column) {
            const BarkSample s = paint((column + 0.5f) / kS, (row + 0.5f) / kS);
            std::uint8_t* p = painted.colour.At(row, column);
            p[0] = ToByte(s.colour.r), p[1] = ToByte(s.colour.g), p[2] = ToByte(s.colour.b);
            height[static_cast<std::size_t>(row) * kS + column] = s.height;
        }
    // Slopes across the seam wrap round, so the normal map tiles as the colour does.
    const auto h = [&](int row, int column) {
        return height[static_cast<std::size_t>((row + kS) % kS) * kS + static_cast<std::size_t>((column + kS) % kS)];
    };
    for (int row = 0; row < kS; ++row)
        for (int column = 0; column < kS; ++column) {
            const float sx = (h(row, column + 1) - h(row, column - 1)) * 0.5f * relief;
            const float sy = (h(row + 1, column) - h(row - 1, column)) * 0.5f * relief;
            const float length = std::sqrt(sx * sx + sy * sy + 1.0f);
            const float n[3] = {-sx / length, -sy / length, 1.0f / length};
            std::uint8_t* p = painted.normals.At(row, column);
            for (int c = 0; c < 3; ++c) p[c] = ToByte(n[c] * 0.5f + 0.5f);
        }
    return painted;
}

}  // namespace

PaintedBark PaintBark(int bark) {
    switch (std::clamp(bark, 0, kBarkCount - 1)) {
        case kOakBark: return PaintBarkWith(OakBark(), kReliefs[bark]);
        case kBirchBark: return PaintBarkWith(BirchBark(), kReliefs[bark]);
        case kPineBark: return PaintBarkWith(PineBark(), kReliefs[bark]);
        case kWillowBark: return PaintBarkWith(WillowBark(), kReliefs[bark]);
        case kPalmBark: return PaintBarkWith(PalmBark(), kReliefs[bark]);
        default: return PaintBarkWith(BeechBark(), kReliefs[bark]);
    }
}

PixelImage PaintLeaf(int leaf) {
    switch (std::clamp(leaf, 0, kLeafCount - 1)) {
        case kOakLeaf: return PaintBlade(kStyles[0]);
        case kBirchLeaf: return PaintBlade(kStyles[1]);
        case kWillowLeaf: return PaintBlade(kStyles[2]);
        case kMapleLeaf: return PaintBlade(kStyles[3]);
        case kLeaflet: return PaintBlade(kStyles[4]);
        case kOakTwig: return PaintTwig(kStyles[0], 201);
        case kBirchTwig: return PaintTwig(kStyles[1], 202);
        case kWillowTwig: return PaintTwig(kStyles[2], 203);
        case kMapleTwig: return PaintTwig(kStyles[3], 204);
        case kSpruceSpray: return PaintSpruce(301);
        default: return PaintPine(302);
    }
}

namespace {

// Painted once per process, on first use.
template <typename T, int N, typename Paint>
const T& Once(int index, Paint paint) {
    static std::array<std::once_flag, N> flags;
    static std::array<T, N> painted;
    std::call_once(flags[static_cast<std::size_t>(index)],
                   [&] { painted[static_cast<std::size_t>(index)] = paint(index); });
    return painted[static_cast<std::size_t>(index)];
}

const PaintedBark& PaintedBarkOf(int bark) {
    return Once<PaintedBark, kBarkCount>(std::clamp(bark, 0, kBarkCount - 1), PaintBark);
}

constexpr const char* kLeafNames[kLeafCount] = {"oak-leaf",   "birch-leaf",     "willow-leaf", "maple-leaf",
                                                "leaflet",    "oak-twig",       "birch-twig",  "willow-twig",
                                                "maple-twig", "spruce-needles", "pine-needles"};
constexpr const char* kLeafLabels[kLeafCount] = {"Oak leaf",   "Birch leaf",     "Willow leaf", "Maple leaf",
                                                 "Leaflet",    "Oak twig",       "Birch twig",  "Willow twig",
                                                 "Maple twig", "Spruce needles", "Pine needles"};
constexpr const char* kBarkNames[kBarkCount] = {"oak-bark",    "birch-bark", "pine-bark",
                                                "willow-bark", "palm-bark",  "beech-bark"};
constexpr const char* kBarkLabels[kBarkCount] = {"Oak bark",    "Birch bark", "Pine bark",
                                                 "Willow bark", "Palm bark",  "Beech bark"};

}  // namespace

const PixelImage& LeafImage(int leaf) {
    return Once<PixelImage, kLeafCount>(std::clamp(leaf, 0, kLeafCount - 1), PaintLeaf);
}
const PixelImage& BarkImage(int bark) { return PaintedBarkOf(bark).colour; }
const PixelImage& BarkNormals(int bark) { return PaintedBarkOf(bark).normals; }

void PaintInParallel(const std::function<void(int)>& paint) {
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < kLeafCount + kBarkCount; i = next++) paint(i);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < std::max(1u, std::thread::hardware_concurrency()); ++t) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();
}

void PaintAll() {
    PaintInParallel([](int i) {
        if (i < kLeafCount)
            LeafImage(i);
        else
            BarkImage(i - kLeafCount);
    });
}

const char* LeafName(int leaf) { return kLeafNames[std::clamp(leaf, 0, kLeafCount - 1)]; }
const char* BarkName(int bark) { return kBarkNames[std::clamp(bark, 0, kBarkCount - 1)]; }
const char* LeafLabel(int leaf) { return kLeafLabels[std::clamp(leaf, 0, kLeafCount - 1)]; }
const char* BarkLabel(int bark) { return kBarkLabels[std::clamp(bark, 0, kBarkCount - 1)]; }

}  // namespace grovewright::PaintedTextures
