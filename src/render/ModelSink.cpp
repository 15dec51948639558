#include "render/ModelSink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/ViewTransform.h"

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

// u and v as GL takes them.
void AddVertex(MeshPart& part, const Vector3D& p, double nx, double ny, double nz, double u, double v) {
    const float position[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    Extend(part, position, part.positions.empty());
    part.positions.insert(part.positions.end(), position, position + 3);
    // Normals leave as unit vectors; a degenerate one points up.
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 1e-12)
        part.normals.insert(part.normals.end(), {static_cast<float>(nx / length), static_cast<float>(ny / length),
                                                 static_cast<float>(nz / length)});
    else
        part.normals.insert(part.normals.end(), {0.0f, 1.0f, 0.0f});
    part.uvs.insert(part.uvs.end(), {static_cast<float>(u), static_cast<float>(1 - v)});
}

// The triangles of a strip of count vertices from start, written at index: the
// strip's k-th triangle (k + odd, k + 1 - odd, k + 2) of the other exports,
// turned round.
void WriteStrip(std::uint32_t* index, std::uint32_t start, int count) {
    for (std::uint32_t k = 0; k + 2 < static_cast<std::uint32_t>(count); ++k) {
        const std::uint32_t odd = k % 2;
        *index++ = start + k + 1 - odd;
        *index++ = start + k + odd;
        *index++ = start + k + 2;
    }
}

// The strip's triangles appended to the part.
void AddStrip(MeshPart& part, std::uint32_t start, int count) {
    if (count < 3) return;
    const std::size_t first = part.indices.size();
    part.indices.resize(first + 3 * static_cast<std::size_t>(count - 2));
    WriteStrip(&part.indices[first], start, count);
}

}  // namespace

void ModelSink::BeginSides(std::size_t sideCount, int division) {
    // Every strip has its place: the strips may come from several threads at once.
    const std::size_t vertices = sideCount * 2 * (division + 1);
    MeshPart& bark = model_.bark;
    bark.positions.resize(3 * vertices);
    bark.normals.resize(3 * vertices);
    bark.uvs.resize(2 * vertices);
    bark.indices.resize(sideCount * 2 * division * 3);
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
    for (int l = 0; l <= n; ++l) {
        const float u = static_cast<float>(RingTextureU(l, n));
        for (const Vector3D* ring : {rings.bottom, rings.top}) {
            *position++ = static_cast<float>(ring[l].x);
            *position++ = static_cast<float>(ring[l].y);
            *position++ = static_cast<float>(ring[l].z);
        }
        *uv++ = u, *uv++ = 1, *uv++ = u, *uv++ = 0;  // GL's v: 0 at the bottom ring, 1 at the top
    }
    WriteStrip(&bark.indices[index * 2 * n * 3], static_cast<std::uint32_t>(first), static_cast<int>(count));
}

void ModelSink::SidesReady(std::size_t begin, std::size_t end) {
    if (!barkReady_) return;
    const std::size_t vertices = 2 * (static_cast<std::size_t>(division_) + 1), indices = 6 * division_;
    barkReady_(model_.bark, begin * vertices, end * vertices, begin * indices, end * indices);
}

void ModelSink::EndSides() {
    // The box, once all strips are in.
    MeshPart& bark = model_.bark;
    for (std::size_t at = 0; at < bark.positions.size(); at += 3) Extend(bark, &bark.positions[at], at == 0);
}

void ModelSink::Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
    MeshPart& leaves = model_.leaves;
    for (const LeafPolygon& polygon : polygons) {
        const auto start = static_cast<std::uint32_t>(leaves.VertexCount());
        for (int i = 0; i < polygon.VertexCount(); ++i) {
            const Vector3D normal = transform.LeafNormal(polygon[i]);
            AddVertex(leaves, transform.LeafPoint(polygon[i]), normal.x, normal.y, normal.z, polygon[i].u,
                      polygon[i].v);
        }
        AddStrip(leaves, start, polygon.VertexCount());
    }
}

void ModelSink::BeginCaps(std::size_t capCount, int division) {
    model_.caps.indices.reserve(capCount * division * 3);
}

void ModelSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) {
    MeshPart& caps = model_.caps;
    const auto start = static_cast<std::uint32_t>(caps.VertexCount());
    AddVertex(caps, centre, normal.x, normal.y, normal.z, 0.5, 0.5);
    for (int m = division; m >= 0; --m) {
        double u, v;
        CapTextureCoord(m, division, u, v);
        AddVertex(caps, top[m], normal.x, normal.y, normal.z, u, v);
    }
    // The other exports' fan (centre, k + 1, k + 2), turned round.
    for (std::uint32_t k = 0; k < static_cast<std::uint32_t>(division); ++k)
        caps.indices.insert(caps.indices.end(), {start, start + k + 2, start + k + 1});
}


}  // namespace grovewright
