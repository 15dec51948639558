#pragma once

#include <array>
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

}  // namespace grovewright::test
