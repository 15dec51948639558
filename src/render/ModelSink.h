#pragma once

#include <cstdint>
#include <vector>

#include "render/MeshSink.h"

namespace grovewright {

// One indexed triangle list: per vertex a position (metres, view space, y up), a
// unit normal and a texture coordinate with v going down the image from its top
// row (as glTF takes it; GL's v is 1 minus it); triangles wind counter-clockwise
// seen from the side the normals face.
struct MeshPart {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // x, y, z per vertex
    std::vector<float> uvs;        // u, v per vertex
    std::vector<std::uint32_t> indices;
    float minimum[3] = {0, 0, 0};  // the positions' box; 0 while empty
    float maximum[3] = {0, 0, 0};

    std::size_t VertexCount() const { return positions.size() / 3; }
    std::size_t TriangleCount() const { return indices.size() / 3; }
    bool Empty() const { return indices.empty(); }
};

// The tree as model formats take it: the bark sides, the cut caps and the leaves.
struct TreeModel {
    MeshPart bark;
    MeshPart caps;
    MeshPart leaves;
};

// Collects the mesh builder's walk into a TreeModel: strips and fans become
// triangle lists of the same triangles as the other exports, wound the other way
// (counter-clockwise outside, as model formats expect; the view and the DXF and
// DirectX files wind clockwise).
class ModelSink : public MeshSink {
public:
    explicit ModelSink(TreeModel& model) : model_(model) {}

    void BeginSides(std::size_t sideCount, int division) override;
    void Side(const SegmentRings& rings) override;
    void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) override;
    void BeginCaps(std::size_t capCount, int division) override;
    void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) override;

private:
    TreeModel& model_;
};

}  // namespace grovewright
