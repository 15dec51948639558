#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "render/MeshSink.h"

namespace grovewright {

// Leaves new elements uninitialised: a large model's arrays are sized once and
// then filled, from several threads, without being cleared first.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};
template <typename T>
using ModelArray = std::vector<T, UninitialisedAllocator<T>>;

// One indexed triangle list: per vertex a position (metres, view space, y up), a
// unit normal and a texture coordinate with v going down the image from its top
// row (as glTF takes it; GL's v is 1 minus it); triangles wind counter-clockwise
// seen from the side the normals face.
struct MeshPart {
    ModelArray<float> positions;  // x, y, z per vertex
    ModelArray<float> normals;    // x, y, z per vertex
    ModelArray<float> uvs;        // u, v per vertex
    ModelArray<std::uint32_t> indices;
    // Wind weights, four per vertex (see WindWeights); empty unless asked for.
    ModelArray<float> wind;
    // Colours the texture is multiplied by, red, green, blue, alpha bytes per
    // vertex; empty when every vertex is white (leaves of one colour).
    ModelArray<std::uint8_t> colours;
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
    // The wind weights go into glTF files as vertex colours too.
    bool windAsColour = false;
};

class WindWeights;

// Collects the mesh builder's walk into a TreeModel: strips and fans become
// triangle lists of the same triangles as the other exports.
class ModelSink : public MeshSink {
public:
    enum class Order {
        // As model formats expect: wound counter-clockwise outside (the view and
        // the DXF and DirectX files wind clockwise), unit normals, v from the top.
        kModel,
        // As the view draws: each triangle's vertices in the order GL takes them
        // from the strip or fan, GL's v, the normals exactly as the builder gives them.
        kView,
    };
    explicit ModelSink(TreeModel& model, Order order = Order::kModel) : model_(model), order_(order) {}

    // Told which bark elements are complete while the strips are made (from the
    // threads that made them): vertices firstVertex .. endVertex - 1 and
    // indices firstIndex .. endIndex - 1, so that a writer can send them on.
    using BarkReady = std::function<void(const MeshPart& bark, std::size_t firstVertex, std::size_t endVertex,
                                         std::size_t firstIndex, std::size_t endIndex)>;
    void OnBarkReady(BarkReady ready) { barkReady_ = std::move(ready); }
    // Every vertex gets these wind weights, but for the tree weight, which
    // WindWeights::FinishTreeWeights fills once the model is complete.
    void CarryWind(const WindWeights* wind) { wind_ = wind; }

    void BeginSides(std::size_t sideCount, int division) override;
    void Side(const SegmentRings& rings) override;
    bool TakesSidesInParallel() const override { return true; }
    void SideAt(std::size_t index, const SegmentRings& rings) override;
    void SidesReady(std::size_t begin, std::size_t end) override;
    void EndSides() override;
    void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) override;
    // The model's leaves, made by Leaves from one whole list, written again
    // where these polygons of the list changed (every polygon keeping its size
    // and place). False, changing nothing, when the leaves are not that list's.
    bool RewriteLeaves(const LeafStore::List& polygons, const ViewTransform& transform,
                       const std::vector<std::uint32_t>& changed);
    void BeginCaps(std::size_t capCount, int division) override;
    void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) override;

private:
    void AddVertex(MeshPart& part, const Vector3D& p, const Vector3D& normal, double u, double v) const;
    void PutNormal(float* at, const Vector3D& normal) const;
    // The polygon's positions, normals and texture coordinates from vertex at on.
    void PutLeafVertices(MeshPart& leaves, std::size_t at, const LeafPolygon& polygon,
                         const ViewTransform& transform) const;

    TreeModel& model_;
    Order order_;
    std::size_t nextSide_ = 0;  // where Side puts the next strip
    std::size_t nextCap_ = 0;
    int division_ = 0;
    BarkReady barkReady_;
    const WindWeights* wind_ = nullptr;
};

}  // namespace grovewright
