#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/Vector3D.h"

namespace grovewright::test {

// Reads back what the exporters wrote, strictly: any deviation from the layout
// the writers produce fails the parse with a message.

struct DXFFace {
    int layer = 0;
    std::array<Vector3D, 4> corners;
};

struct ParsedDXF {
    std::vector<DXFFace> faces;
    std::string error;  // empty when the file parsed
};
ParsedDXF ParseDXF(const std::string& text);

struct DirectXMesh {
    std::string name;
    std::vector<Vector3D> positions;
    std::vector<std::array<int, 3>> faces;
    std::vector<Vector3D> normals;
    std::vector<std::array<int, 3>> normalFaces;
    std::vector<std::array<double, 2>> textureCoords;
};

struct ParsedDirectX {
    std::vector<DirectXMesh> meshes;
    std::string error;
};
ParsedDirectX ParseDirectX(const std::string& text);

// A GLB file: its JSON document and binary chunk, after checking the container
// (magic, version, total length, 4-byte aligned chunks of the right types).
struct ParsedGlb {
    nlohmann::json json;
    std::string bin;
    std::string error;

    // An accessor's values (floats, or unsigned indices of 16 or 32 bits), checked
    // against its buffer view's bounds and 4-byte alignment.
    std::vector<float> Floats(int accessor) const;
    std::vector<std::uint32_t> Indices(int accessor) const;
    // The bytes of a buffer view (an embedded image).
    std::string View(int view) const;
};
ParsedGlb ParseGlb(const std::string& bytes);

}  // namespace grovewright::test
