#pragma once

#include <array>

#include "render/PixelImage.h"

namespace grovewright {

// The built-in textures, generated from the C library's rand() (never seeded,
// so every run draws the same noise). Each call draws from rand() in its own
// order; the texture manager calls them in this order: Stump1, Blue sky, Grey
// sky, Trunc1, Trunc2, Spring, Summer, Fall, Winter, Leaves1, Leaves2, Needles.
namespace ProceduralTextures {

PixelImage Stump1();     // 128 x 128 RGB, a sawn log face with annual rings
PixelImage BlueSky();    // 128 x 128 RGB
PixelImage GreySky();    // 128 x 128 RGB
PixelImage Trunc1();     // 128 x 32 RGB, grey-brown bark noise
PixelImage Trunc2();     // 128 x 32 RGB, light bark with dark flecks
PixelImage Spring();     // 128 x 128 RGB
PixelImage Summer();     // 128 x 128 RGB
PixelImage Fall();       // 128 x 128 RGB
PixelImage Winter();     // 128 x 128 RGB
PixelImage Leaves1();    // 128 x 128 RGBA, a broad leaf with opposite veins
PixelImage Leaves2();    // 128 x 128 RGBA, an autumn-yellow leaf with alternate veins
PixelImage Needles();    // 64 x 256 RGBA, a conifer twig

// The whole built-in set, drawn in the order above (the one that gives these
// textures) from the start of the noise sequence, so every call gives the same
// set; indexed by BuiltinTexture.
enum BuiltinTexture {
    kStump1, kBlueSky, kGreySky, kTrunc1, kTrunc2, kSpring, kSummer, kFall, kWinter, kLeaves1, kLeaves2, kNeedles,
    kBuiltinCount
};
std::array<PixelImage, kBuiltinCount> DrawBuiltinSet();

// The built-in bark and leaf textures a design is shown with, numbered as the
// Textures menu lists them: bark 0 Trunc1, 1 Trunc2, then the painted barks;
// leaves 0 Leaves1, 1 Leaves2, 2 Needles, then the painted leaves.
struct Choice {
    static constexpr int kDrawnBarks = 2, kDrawnLeaves = 3;
    int bark = 0;
    int leaves = 0;

    // One of this set (a painted one gives Trunc1 and Leaves1 here).
    BuiltinTexture Bark() const { return bark == 1 ? kTrunc2 : kTrunc1; }
    BuiltinTexture Leaves() const { return leaves == 1 ? kLeaves2 : leaves == 2 ? kNeedles : kLeaves1; }
    // The PaintedTextures bark or leaf image chosen, or -1 for one of this set.
    int PaintedBark() const { return bark >= kDrawnBarks ? bark - kDrawnBarks : -1; }
    int PaintedLeaves() const { return leaves >= kDrawnLeaves ? leaves - kDrawnLeaves : -1; }
};

// floor((rand() mod 100) / 100 * k): an integer 0 .. k - 1.
int Noise(int k);
// floor((rand() mod 100) / 1000 * 255): an integer 0 .. 25.
int SmallNoise();

}  // namespace ProceduralTextures

}  // namespace grovewright
