#pragma once

#include <cstddef>
#include <vector>

#include "geometry/LeafPolygon.h"
#include "geometry/Vector3D.h"

namespace grovewright {

class ViewTransform;

// The two rings of one segment in view space (metres, whole-tree rotation
// applied). Each array has division + 1 entries; the last repeats the first.
struct SegmentRings {
    int division = 0;
    const Vector3D* bottom = nullptr;
    const Vector3D* top = nullptr;
    // Per ring vertex l: bottom normal (3 floats), then top normal (3 floats).
    const float* normals = nullptr;
    // Texture v of the bottom and top rings: 0 and 1, but on a shaped branch
    // (a flared trunk, a root) v runs from 0 to 1 along the whole branch, so
    // that its short pieces do not squeeze the bark.
    double vBottom = 0.0, vTop = 1.0;
};

// Receives the mesh builder's walk: side strips in skeleton order, then the
// leaves (when asked for), then the end caps of cut segments. Drawing, export
// and counting are sinks.
class MeshSink {
public:
    virtual ~MeshSink() = default;

    // sideCount strips follow (one per segment of non-zero length).
    virtual void BeginSides(std::size_t sideCount, int division) {
        (void)sideCount;
        (void)division;
    }
    // One triangle strip: bottom[0], top[0], bottom[1], top[1], ... bottom[n], top[n].
    virtual void Side(const SegmentRings& rings) = 0;
    // A sink that keeps each strip in a place of its own (strip index 0 ..
    // sideCount - 1) may take them from several threads at once through SideAt,
    // in any order; the mesh builder then spreads large trees over the processors.
    virtual bool TakesSidesInParallel() const { return false; }
    virtual void SideAt(std::size_t index, const SegmentRings& rings) {
        (void)index;
        Side(rings);
    }
    // Strips begin .. end - 1 are complete: told now and then while the strips
    // are made, from the thread that made them (so from several at once when the
    // sink takes strips in parallel).
    virtual void SidesReady(std::size_t begin, std::size_t end) {
        (void)begin;
        (void)end;
    }
    virtual void EndSides() {}

    // The polygons of the first leaf list, in skeleton space; the transform turns
    // their positions and normals into view space.
    virtual void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
        (void)polygons;
        (void)transform;
    }

    // capCount caps follow.
    virtual void BeginCaps(std::size_t capCount, int division) {
        (void)capCount;
        (void)division;
    }
    // One disc: a fan of centre and top[n], top[n - 1], ... top[0], one normal.
    virtual void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) = 0;
    virtual void EndCaps() {}
};

// Texture u of ring vertex l: the bark wraps once around the segment (v as the
// rings give it).
inline double RingTextureU(int l, int division) { return static_cast<double>(l) / division; }

// Texture coordinate of cap rim vertex m: the stump texture's inscribed circle
// (the centre has (0.5, 0.5)).
inline void CapTextureCoord(int m, int division, double& u, double& v) {
    const double angle = m * 360.0 / division;
    u = CosDeg(angle) * 0.5 + 0.5;
    v = SinDeg(angle) * 0.5 + 0.5;
}

// Wire Frame colours: bottom ring, and top ring and caps.
inline constexpr float kWireBottomColour[3] = {0.32f, 0.2734f, 0.2266f};
inline constexpr float kWireTopColour[3] = {0.3945f, 0.3554f, 0.3164f};

// Triangles of one leaf polygon drawn as a strip.
inline int LeafTriangleCount(const LeafPolygon& polygon) {
    return polygon.VertexCount() > 2 ? polygon.VertexCount() - 2 : 0;
}

}  // namespace grovewright
