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

// Triangles of one leaf polygon drawn as a strip.
inline int LeafTriangleCount(const LeafPolygon& polygon) {
    return polygon.VertexCount() > 2 ? polygon.VertexCount() - 2 : 0;
}

}  // namespace grovewright
