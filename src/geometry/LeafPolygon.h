#pragma once

#include <cstdint>
#include <vector>

namespace grovewright {

// Interleaved vertex of a leaf: position (centimetres, skeleton space), normal,
// texture coordinate. Eight floats, 32 bytes, in this order.
struct LeafVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(LeafVertex) == 32, "LeafVertex must stay 8 packed floats");

// The OpenGL triangle-strip primitive number, used to draw leaves.
inline constexpr std::int32_t kTriangleStrip = 5;

// One drawable leaf primitive.
class LeafPolygon {
public:
    // A count of zero or less stores 0 and holds no vertices.
    LeafPolygon(std::int32_t vertexCount, std::int32_t primitiveMode)
        : primitiveMode_(primitiveMode), vertices_(vertexCount > 0 ? vertexCount : 0) {}

    std::int32_t VertexCount() const { return static_cast<std::int32_t>(vertices_.size()); }
    std::int32_t PrimitiveMode() const { return primitiveMode_; }
    LeafVertex* Vertices() { return vertices_.empty() ? nullptr : vertices_.data(); }
    const LeafVertex* Vertices() const { return vertices_.empty() ? nullptr : vertices_.data(); }
    LeafVertex& operator[](std::int32_t i) { return vertices_[i]; }
    const LeafVertex& operator[](std::int32_t i) const { return vertices_[i]; }

private:
    std::int32_t primitiveMode_;
    std::vector<LeafVertex> vertices_;
};

// The leaf store: an ordered list of lists of polygons. The leaf generator fills
// one list; the mesh builder draws and exports the polygons of the first list.
class LeafStore {
public:
    using List = std::vector<LeafPolygon>;

    void Clear() { lists_.clear(); }
    List& AppendList() { return lists_.emplace_back(); }
    std::size_t ListCount() const { return lists_.size(); }
    bool Empty() const { return lists_.empty(); }
    List& operator[](std::size_t i) { return lists_[i]; }
    const List& operator[](std::size_t i) const { return lists_[i]; }

private:
    std::vector<List> lists_;
};

}  // namespace grovewright
