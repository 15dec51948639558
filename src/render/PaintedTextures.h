#pragma once

#include <functional>

#include "render/PixelImage.h"

namespace grovewright {

// Built-in textures painted at 512 x 512 by the program's own code, for trees
// that read as real: leaves by shape, twigs carrying several leaves, needle
// sprays, and barks by kind, each bark with a normal map. Every image comes
// from a stable hash (never the C library's rand()), so it has the same bytes
// on every machine; each is painted once per process, on first use, from any
// thread.
namespace PaintedTextures {

// Leaf images (RGBA, the shape in the alpha channel, soft at the edges): the
// leaf's base at the bottom row (the leaf strip's v 0), its tip at the top.
enum Leaf {
    kOakLeaf,       // lobed
    kBirchLeaf,     // ovate, serrate
    kWillowLeaf,    // lanceolate
    kMapleLeaf,     // palmate
    kLeaflet,       // one leaflet of a compound leaf (palm, ash)
    kOakTwig,       // a short twig with several leaves of the shape
    kBirchTwig,
    kWillowTwig,
    kMapleTwig,
    kSpruceSpray,   // short needles all along a twig and its side shoots
    kPineSpray,     // long needles in tufts
    kLeafCount
};
// Barks (RGB), seamless across and along: the branch's texture wraps once
// around it and repeats along it.
enum Bark { kOakBark, kBirchBark, kPineBark, kWillowBark, kPalmBark, kBeechBark, kBarkCount };

inline constexpr int kSize = 512;

const PixelImage& LeafImage(int leaf);
const PixelImage& BarkImage(int bark);
// The bark's relief as a tangent-space normal map (RGB: x right, y up the
// image, z out of it, each mapped from -1 .. 1 to 0 .. 255).
const PixelImage& BarkNormals(int bark);

// Paints every image now, on all processors (a picture or an export that may
// need any of them asks for them all at once).
void PaintAll();

// The painting itself, uncached: a leaf image; a bark and its normal map.
PixelImage PaintLeaf(int leaf);
struct PaintedBark {
    PixelImage colour, normals;
};
PaintedBark PaintBark(int bark);
// Runs paint(i) for every i of 0 .. kLeafCount + kBarkCount - 1 (the leaves,
// then the barks) on all processors.
void PaintInParallel(const std::function<void(int)>& paint);

// The names the command line and the menu use: "oak-leaf", "oak-twig",
// "spruce-needles", "oak-bark", ...
const char* LeafName(int leaf);
const char* BarkName(int bark);
// The menu's words: "Oak leaf", "Oak twig", "Spruce needles", "Oak bark", ...
const char* LeafLabel(int leaf);
const char* BarkLabel(int bark);

}  // namespace PaintedTextures

}  // namespace grovewright
