#include "render/ProceduralTextures.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "geometry/Vector3D.h"

namespace grovewright::ProceduralTextures {

namespace {

using Byte = std::uint8_t;

void Set(PixelImage& image, int row, int column, int r, int g, int b) {
    Byte* p = image.At(row, column);
    p[0] = static_cast<Byte>(r);
    p[1] = static_cast<Byte>(g);
    p[2] = static_cast<Byte>(b);
}

template <typename Colour>
PixelImage Filled(int width, int height, int channels, Colour colour) {
    PixelImage image(width, height, channels);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) colour(image, row, column);
    return image;
}

PixelImage Uniform(int r, int g, int b) {
    return Filled(128, 128, 3, [&](PixelImage& image, int row, int column) { Set(image, row, column, r, g, b); });
}

// The broad-leaf outline: noise-coloured pixels, opaque inside the half-width
// e = trunc(sin(row / 128 * 180 degrees) * 64) around column 64.
template <typename Colour>
PixelImage LeafOutline(Colour colour) {
    return Filled(128, 128, 4, [&](PixelImage& image, int row, int column) {
        colour(image, row, column);
        const int e = static_cast<int>(SinDeg(row / 128.0 * 180.0) * 64.0);
        image.At(row, column)[3] = (64 - e < column && column < 64 + e) ? 255 : 0;
    });
}

// Midrib: rows 0..122, columns 64 and 65.
template <typename Colour>
void Midrib(PixelImage& image, Colour colour) {
    for (int row = 0; row <= 122; ++row)
        for (int column : {64, 65}) colour(image, row, column);
}

// A vein from start row s on column 64 + direction * j, two rows thick, j = 0..63.
template <typename Colour>
void Vein(PixelImage& image, int start, int direction, Colour colour) {
    for (int j = 0; j < 64; ++j)
        for (int row : {start + j, start + j + 1})
            if (row < 128) colour(image, row, 64 + direction * j);
}

}  // namespace

int Noise(int k) { return static_cast<int>(std::floor((std::rand() % 100) / 100.0 * k)); }

int SmallNoise() { return static_cast<int>(std::floor((std::rand() % 100) / 1000.0 * 255)); }

PixelImage Stump1() {
    PixelImage image = Filled(128, 128, 3, [](PixelImage& im, int row, int column) {
        const int n = Noise(32);
        Set(im, row, column, 192 + n, 183 + n, 140 + n);
    });
    for (int radius = 5; radius < 64; radius += 3 + std::rand() % 4) {
        for (int a = 0; a <= 360; ++a) {
            Vector3D p(radius, 0, 0);
            p.RotateY(a);
            const int v = Noise(32);
            Set(image, 64 + static_cast<int>(p.x), 64 + static_cast<int>(p.z), 192 - v, 183 - v, 140 - v);
        }
    }
    return image;
}

PixelImage BlueSky() { return Uniform(134, 200, 234); }

PixelImage GreySky() { return Uniform(179, 179, 179); }

PixelImage Trunc1() {
    return Filled(128, 32, 3, [](PixelImage& image, int row, int column) {
        const int t = static_cast<int>(std::floor((std::rand() % 100) / 200.0 * 85));
        Set(image, row, column, 97 + t, 92 + t, 85 + t);
    });
}

PixelImage Trunc2() {
    return Filled(128, 32, 3, [](PixelImage& image, int row, int column) {
        const int u = static_cast<int>(std::floor((std::rand() % 100) / 100.0 * 240));
        const int level = u <= 63 ? 240 : 240 - u;
        Set(image, row, column, level, level, level);
    });
}

PixelImage Spring() {
    return Filled(128, 128, 3, [](PixelImage& image, int row, int column) {
        const int r = 102 + Noise(32), g = 209 + Noise(32), b = 31 + Noise(32);
        Set(image, row, column, r, g, b);
    });
}

PixelImage Summer() {
    return Filled(128, 128, 3, [](PixelImage& image, int row, int column) {
        const int r = 32 + Noise(32), g = 127 + Noise(32), b = 3 + Noise(32);
        Set(image, row, column, r, g, b);
    });
}

PixelImage Fall() {
    return Filled(128, 128, 3, [](PixelImage& image, int row, int column) {
        const int m = SmallNoise();
        Set(image, row, column, 153 + m, 126 + m, 45 + m);
    });
}

PixelImage Winter() {
    return Filled(128, 128, 3, [](PixelImage& image, int row, int column) {
        const int m = SmallNoise();
        Set(image, row, column, 246 - m, 250 - m, 250 - m);
    });
}

PixelImage Leaves1() {
    PixelImage image = LeafOutline([](PixelImage& im, int row, int column) {
        const int r = 32 + Noise(32), g = 127 + Noise(32), b = 3 + Noise(32);
        Set(im, row, column, r, g, b);
    });
    auto vein = [](PixelImage& im, int row, int column) {
        const int r = 32 + Noise(15), g = 127 + Noise(15);
        Set(im, row, column, r, g, 3);
    };
    Midrib(image, vein);
    for (int start : {2, 23, 44, 65, 86, 107}) {
        Vein(image, start, +1, vein);
        Vein(image, start, -1, vein);
    }
    return image;
}

PixelImage Leaves2() {
    PixelImage image = LeafOutline([](PixelImage& im, int row, int column) {
        const int r = 237 - Noise(32), g = 197 - Noise(32);
        Set(im, row, column, r, g, 9);
    });
    auto vein = [](PixelImage& im, int row, int column) {
        const int r = 237 - Noise(15), g = 197 - Noise(15);
        Set(im, row, column, r, g, 9);
    };
    Midrib(image, vein);
    for (int start : {20, 41, 62, 83, 104, 125}) Vein(image, start, +1, vein);
    for (int start : {10, 31, 52, 73, 94, 115}) Vein(image, start, -1, vein);
    return image;
}

PixelImage Needles() {
    PixelImage image = Filled(64, 256, 4, [](PixelImage& im, int row, int column) {
        const int n = Noise(29);
        Set(im, row, column, 29 + n, 80 + n, 22 + n);
        im.At(row, column)[3] = 0;
    });
    // Needles pointing left start every 7 rows from 0, pointing right from 3.
    for (int direction : {-1, +1}) {
        for (int start = direction < 0 ? 0 : 3; start < 256; start += 7)
            for (int j = 0; j < 32; ++j)
                for (int row = start + j; row <= start + j + 3 && row < 256; ++row)
                    image.At(row, 32 + direction * j)[3] = 255;
    }
    for (int row = 0; row < 256; ++row) {
        for (int column : {32, 33}) {
            const int w = Noise(91);
            Set(image, row, column, 107 + w, 99 + w, 91 + w);
            image.At(row, column)[3] = 255;
        }
    }
    return image;
}

std::array<PixelImage, kBuiltinCount> DrawBuiltinSet() {
    // rand() seeded with 1 is the never-seeded sequence: every call draws the same set.
    std::srand(1);
    // One statement per texture: the calls happen in this order.
    std::array<PixelImage, kBuiltinCount> set;
    set[kStump1] = Stump1();
    set[kBlueSky] = BlueSky();
    set[kGreySky] = GreySky();
    set[kTrunc1] = Trunc1();
    set[kTrunc2] = Trunc2();
    set[kSpring] = Spring();
    set[kSummer] = Summer();
    set[kFall] = Fall();
    set[kWinter] = Winter();
    set[kLeaves1] = Leaves1();
    set[kLeaves2] = Leaves2();
    set[kNeedles] = Needles();
    return set;
}

}  // namespace grovewright::ProceduralTextures
