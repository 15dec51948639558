#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// A leaf's colour as 8-bit red, green, blue and alpha from the lowest byte up:
// what its texture is multiplied by. White leaves the texture as it is.
inline constexpr std::uint32_t kWhiteLeaf = 0xffffffffu;

// One drawable leaf primitive: a view of its vertices inside its leaf list. It
// stays valid until the list grows or is cleared.
class LeafPolygon {
public:
    LeafPolygon(LeafVertex* vertices, std::int32_t vertexCount, std::int32_t primitiveMode,
                std::uint32_t colour = kWhiteLeaf)
        : vertices_(vertices), vertexCount_(vertexCount), primitiveMode_(primitiveMode), colour_(colour) {}

    std::int32_t VertexCount() const { return vertexCount_; }
    std::int32_t PrimitiveMode() const { return primitiveMode_; }
    std::uint32_t Colour() const { return colour_; }
    // Null when the polygon has no vertices.
    LeafVertex* Vertices() const { return vertices_; }
    LeafVertex& operator[](std::int32_t i) const { return vertices_[i]; }

private:
    LeafVertex* vertices_;
    std::int32_t vertexCount_;
    std::int32_t primitiveMode_;
    std::uint32_t colour_;
};

// One list of leaf polygons. All vertices share one buffer, so a list of
// hundreds of thousands of strips costs a few allocations instead of one per
// strip, and clearing keeps the buffer for the next generation.
class LeafList {
public:
    LeafList() = default;
    LeafList(LeafList&&) noexcept = default;
    LeafList& operator=(LeafList&&) noexcept = default;

    // A new polygon of vertexCount vertices (0 when the count is not positive).
    // Its vertices are not initialised: the caller writes every one of them (a
    // large tree's leaves would otherwise be cleared once for nothing).
    LeafPolygon Append(std::int32_t vertexCount, std::int32_t primitiveMode, std::uint32_t colour = kWhiteLeaf);

    // Grows the list by this many polygons and vertices, none of them written
    // yet: RunWriters fill them in place, each its own run, so that several
    // threads can fill one list.
    void AppendUnwritten(std::size_t polygons, std::size_t vertices);
    // Writes one run of polygons in place, from polygon and vertex on, in order.
    class RunWriter {
    public:
        RunWriter(LeafList& list, std::size_t polygon, std::size_t vertex)
            : list_(list), polygon_(polygon), vertex_(vertex) {}
        // The next polygon of the run, vertexCount (positive) vertices; the caller writes them.
        LeafPolygon Append(std::int32_t vertexCount, std::int32_t primitiveMode, std::uint32_t colour = kWhiteLeaf) {
            list_.polygons_[polygon_++] = {vertex_, vertexCount, primitiveMode, colour};
            LeafVertex* vertices = list_.vertices_.get() + vertex_;
            vertex_ += static_cast<std::size_t>(vertexCount);
            return LeafPolygon(vertices, vertexCount, primitiveMode, colour);
        }
        // Passes over polygons already in place, as written before.
        void Skip(std::size_t polygons, std::size_t vertices) {
            polygon_ += polygons;
            vertex_ += vertices;
        }
        // The index of the next polygon.
        std::size_t Polygon() const { return polygon_; }

    private:
        LeafList& list_;
        std::size_t polygon_, vertex_;
    };

    std::size_t size() const { return polygons_.size(); }
    bool empty() const { return polygons_.empty(); }
    LeafPolygon operator[](std::size_t i) const;
    std::size_t VertexTotal() const { return vertexCount_; }
    // Empties the list and keeps its buffers for the next generation.
    void clear() {
        vertexCount_ = 0;
        polygons_.clear();
        tinted_ = false;
    }
    // The polygons have colours of their own (else every one is white), which
    // the view and the exports carry.
    bool Tinted() const { return tinted_; }
    void SetTinted(bool tinted) { tinted_ = tinted; }
    void reserve(std::size_t polygons, std::size_t vertices) {
        polygons_.reserve(polygons);
        if (vertices > vertexCapacity_) Grow(vertices);
    }

    class const_iterator {
    public:
        const_iterator(const LeafList* list, std::size_t index) : list_(list), index_(index) {}
        LeafPolygon operator*() const { return (*list_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return index_ != o.index_; }

    private:
        const LeafList* list_;
        std::size_t index_;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, polygons_.size()); }

private:
    struct Entry {
        std::size_t first;
        std::int32_t count;
        std::int32_t mode;
        std::uint32_t colour;
    };
    void Grow(std::size_t capacity);

    std::unique_ptr<LeafVertex[]> vertices_;
    std::size_t vertexCount_ = 0;
    std::size_t vertexCapacity_ = 0;
    std::vector<Entry> polygons_;
    bool tinted_ = false;
};

// The leaf store: an ordered list of leaf lists. The leaf generator fills one
// list; the mesh builder draws and exports the polygons of the first list.
class LeafStore {
public:
    using List = LeafList;

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
