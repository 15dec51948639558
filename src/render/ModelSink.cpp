#include "render/ModelSink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>

#include "render/ViewTransform.h"
#include "render/WindWeights.h"

namespace grovewright {

namespace {

// Grows the part's box by the position; the first position starts it.
void Extend(MeshPart& part, const float position[3], bool first) {
    if (first) {
        std::copy(position, position + 3, part.minimum);
        std::copy(position, position + 3, part.maximum);
    }
    for (int c = 0; c < 3; ++c) {
        part.minimum[c] = std::min(part.minimum[c], position[c]);
        part.maximum[c] = std::max(part.maximum[c], position[c]);
    }
}

// The triangles of a strip of count vertices from start, written at index: in
// the view's order the strip's k-th triangle as GL takes it, (k + odd, k + 1 -
// odd, k + 2); in the model's order that triangle turned round.
void WriteStrip(std::uint32_t* index, std::uint32_t start, int count, ModelSink::Order order) {
    const bool view = order == ModelSink::Order::kView;
    for (std::uint32_t k = 0; k + 2 < static_cast<std::uint32_t>(count); ++k) {
        const std::uint32_t odd = k % 2;
        *index++ = start + k + (view ? odd : 1 - odd);
        *index++ = start + k + (view ? 1 - odd : odd);
        *index++ = start + k + 2;
    }
}

// Grows the part's box by the positions of vertices from first on (as Extend
// does for each, with the box kept in locals: millions of leaf vertices).
void ExtendBox(MeshPart& part, std::size_t first) {
    const std::size_t end = part.positions.size();
    if (3 * first >= end) return;
    const float* positions = part.positions.data();
    const float* lowest = first == 0 ? positions : part.minimum;
    const float* highest = first == 0 ? positions : part.maximum;
    float low[3] = {lowest[0], lowest[1], lowest[2]}, high[3] = {highest[0], highest[1], highest[2]};
    for (std::size_t at = 3 * first; at < end; at += 3)
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], positions[at + c]);
            high[c] = std::max(high[c], positions[at + c]);
        }
    std::copy(low, low + 3, part.minimum);
    std::copy(high, high + 3, part.maximum);
}

// Writes count vertices' wind weights: no tree weight yet, the branch weight, the phase, the flutter.
void PutWind(float* at, std::size_t count, float branch, float phase, float flutter = 0) {
    for (std::size_t i = 0; i < count; ++i, at += 4) at[0] = 0, at[1] = branch, at[2] = phase, at[3] = flutter;
}

// Below this many leaf polygons the leaves are meshed on one thread.
constexpr std::size_t kParallelLeaves = 2048;

// Runs mesh(begin, end) over count polygons: for many, in two halves at once.
template <typename Mesh>
void InHalves(std::size_t count, Mesh&& mesh) {
    if (count < kParallelLeaves || std::thread::hardware_concurrency() < 2) {
        mesh(std::size_t{0}, count);
        return;
    }
    std::thread second(mesh, count / 2, count);
    mesh(std::size_t{0}, count / 2);
    second.join();
}

}  // namespace

// u and v as GL takes them.
void ModelSink::AddVertex(MeshPart& part, const Vector3D& p, const Vector3D& normal, double u, double v) const {
    const float position[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    Extend(part, position, part.positions.empty());
    part.positions.insert(part.positions.end(), position, position + 3);
    part.normals.resize(part.normals.size() + 3);
    PutNormal(&part.normals[part.normals.size() - 3], normal);
    part.uvs.insert(part.uvs.end(), {static_cast<float>(u), static_cast<float>(order_ == Order::kView ? v : 1 - v)});
}

void ModelSink::PutNormal(float* at, const Vector3D& normal) const {
    double x = normal.x, y = normal.y, z = normal.z;
    if (order_ == Order::kModel) {
        // Normals leave as unit vectors; a degenerate one points up.
        const double length = std::sqrt(x * x + y * y + z * z);
        if (length > 1e-12)
            x /= length, y /= length, z /= length;
        else
            x = 0, y = 1, z = 0;
    }
    at[0] = static_cast<float>(x), at[1] = static_cast<float>(y), at[2] = static_cast<float>(z);
}

void ModelSink::BeginSides(std::size_t sideCount, int division) {
    // Every strip has its place: the strips may come from several threads at once.
    const std::size_t vertices = sideCount * 2 * (division + 1);
    MeshPart& bark = model_.bark;
    bark.positions.resize(3 * vertices);
    bark.normals.resize(3 * vertices);
    bark.uvs.resize(2 * vertices);
    bark.indices.resize(sideCount * 2 * division * 3);
    if (wind_) bark.wind.resize(4 * vertices);
    nextSide_ = 0;
    division_ = division;
}

void ModelSink::Side(const SegmentRings& rings) { SideAt(nextSide_++, rings); }

void ModelSink::SideAt(std::size_t index, const SegmentRings& rings) {
    // The hot path of a large tree. The ring normals are unit already.
    MeshPart& bark = model_.bark;
    const int n = rings.division;
    const std::size_t count = 2 * (static_cast<std::size_t>(n) + 1), first = index * count;
    float* position = &bark.positions[3 * first];
    float* uv = &bark.uvs[2 * first];
    std::copy(rings.normals, rings.normals + 3 * count, &bark.normals[3 * first]);
    // GL's v is 0 at the bottom ring and 1 at the top; the model's goes the other way.
    const bool view = order_ == Order::kView;
    const float bottomV = static_cast<float>(view ? rings.vBottom : 1 - rings.vBottom);
    const float topV = static_cast<float>(view ? rings.vTop : 1 - rings.vTop);
    for (int l = 0; l <= n; ++l) {
        const float u = static_cast<float>(RingTextureU(l, n));
        for (const Vector3D* ring : {rings.bottom, rings.top}) {
            *position++ = static_cast<float>(ring[l].x);
            *position++ = static_cast<float>(ring[l].y);
            *position++ = static_cast<float>(ring[l].z);
        }
        *uv++ = u, *uv++ = bottomV, *uv++ = u, *uv++ = topV;
    }
    WriteStrip(&bark.indices[index * 2 * n * 3], static_cast<std::uint32_t>(first), static_cast<int>(count),
               order_);
    if (wind_) {
        const WindWeights::Segment& weights = wind_->Side(index);
        for (int l = 0; l <= n; ++l) {
            PutWind(&bark.wind[4 * (first + 2 * l)], 1, weights.bottom, weights.phase);
            PutWind(&bark.wind[4 * (first + 2 * l + 1)], 1, weights.top, weights.phase);
        }
    }
}

void ModelSink::SidesReady(std::size_t begin, std::size_t end) {
    if (!barkReady_) return;
    const std::size_t vertices = 2 * (static_cast<std::size_t>(division_) + 1), indices = 6 * division_;
    barkReady_(model_.bark, begin * vertices, end * vertices, begin * indices, end * indices);
}

void ModelSink::EndSides() { ExtendBox(model_.bark, 0); }  // the box, once all strips are in

void ModelSink::Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
    // Every polygon has its place, so that the two halves of many leaves can be meshed at once.
    MeshPart& leaves = model_.leaves;
    const std::size_t firstVertex = leaves.VertexCount();
    std::vector<std::size_t> vertexAt(polygons.size() + 1, firstVertex), indexAt(polygons.size() + 1,
                                                                                  leaves.indices.size());
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        const auto count = static_cast<std::size_t>(std::max(0, polygons[i].VertexCount()));
        vertexAt[i + 1] = vertexAt[i] + count;
        indexAt[i + 1] = indexAt[i] + (count > 2 ? 3 * (count - 2) : 0);
    }
    leaves.positions.resize(3 * vertexAt.back());
    leaves.normals.resize(3 * vertexAt.back());
    leaves.uvs.resize(2 * vertexAt.back());
    leaves.indices.resize(indexAt.back());
    if (wind_) leaves.wind.resize(4 * vertexAt.back());
    if (polygons.Tinted()) leaves.colours.resize(4 * vertexAt.back());
    auto mesh = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const LeafPolygon& polygon = polygons[i];
            if (!leaves.colours.empty()) {
                const std::uint32_t colour = polygon.Colour();
                for (std::size_t k = 0; k < static_cast<std::size_t>(polygon.VertexCount()); ++k)
                    for (int c = 0; c < 4; ++c)
                        leaves.colours[4 * (vertexAt[i] + k) + c] = static_cast<std::uint8_t>(colour >> (8 * c));
            }
            if (wind_) {
                // The flutter is GL's v: 0 where the leaf sits, 1 at its tip.
                const WindWeights::Segment weights = wind_->Leaf(i);
                for (int k = 0; k < polygon.VertexCount(); ++k)
                    PutWind(&leaves.wind[4 * (vertexAt[i] + static_cast<std::size_t>(k))], 1, weights.bottom,
                            weights.phase, polygon[k].v);
            }
            PutLeafVertices(leaves, vertexAt[i], polygon, transform);
            if (polygon.VertexCount() > 2)
                WriteStrip(&leaves.indices[indexAt[i]], static_cast<std::uint32_t>(vertexAt[i]),
                           polygon.VertexCount(), order_);
        }
    };
    InHalves(polygons.size(), mesh);
    ExtendBox(leaves, firstVertex);
}

void ModelSink::PutLeafVertices(MeshPart& leaves, std::size_t at, const LeafPolygon& polygon,
                                const ViewTransform& transform) const {
    float* position = &leaves.positions[3 * at];
    float* normal = &leaves.normals[3 * at];
    float* uv = &leaves.uvs[2 * at];
    for (int k = 0; k < polygon.VertexCount(); ++k, position += 3, normal += 3) {
        const Vector3D p = transform.LeafPoint(polygon[k]);
        position[0] = static_cast<float>(p.x), position[1] = static_cast<float>(p.y);
        position[2] = static_cast<float>(p.z);
        PutNormal(normal, transform.LeafNormal(polygon[k]));
        *uv++ = polygon[k].u;
        *uv++ = static_cast<float>(order_ == Order::kView ? polygon[k].v : 1 - static_cast<double>(polygon[k].v));
    }
}

bool ModelSink::RewriteLeaves(const LeafStore::List& polygons, const ViewTransform& transform,
                              const std::vector<std::uint32_t>& changed) {
    MeshPart& leaves = model_.leaves;
    if (wind_ || polygons.empty() || leaves.VertexCount() != polygons.VertexTotal()) return false;
    const LeafVertex* first = polygons[0].Vertices();
    for (std::uint32_t i : changed)
        if (i >= polygons.size()) return false;
    InHalves(changed.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t c = begin; c < end; ++c) {
            const LeafPolygon polygon = polygons[changed[c]];
            PutLeafVertices(leaves, static_cast<std::size_t>(polygon.Vertices() - first), polygon, transform);
        }
    });
    ExtendBox(leaves, 0);
    return true;
}

void ModelSink::BeginCaps(std::size_t capCount, int division) {
    model_.caps.indices.reserve(capCount * division * 3);
    nextCap_ = 0;
}

void ModelSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) {
    MeshPart& caps = model_.caps;
    const auto start = static_cast<std::uint32_t>(caps.VertexCount());
    AddVertex(caps, centre, normal, 0.5, 0.5);
    for (int m = division; m >= 0; --m) {
        double u, v;
        CapTextureCoord(m, division, u, v);
        AddVertex(caps, top[m], normal, u, v);
    }
    // The fan's triangles (centre, k + 1, k + 2), turned round for the model.
    const bool view = order_ == Order::kView;
    for (std::uint32_t k = 0; k < static_cast<std::uint32_t>(division); ++k)
        caps.indices.insert(caps.indices.end(), {start, start + k + (view ? 1 : 2), start + k + (view ? 2 : 1)});
    if (wind_) {
        const WindWeights::Segment& weights = wind_->Cap(nextCap_++);
        caps.wind.resize(caps.wind.size() + 4 * (static_cast<std::size_t>(division) + 2));
        PutWind(&caps.wind[4 * start], static_cast<std::size_t>(division) + 2, weights.top, weights.phase);
    }
}

}  // namespace grovewright
