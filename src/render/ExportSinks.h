#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/ModelFiles.h"
#include "render/MeshSink.h"

namespace grovewright {

class TGDXFFileWriter;
class TGDirectXFileWriter;

// Every triangle is written with the winding of the first triangle of its strip
// (the later odd triangles have their first two corners swapped), so all faces
// of the tree face the same way as its exported normals.

// 3DFACE entities: side faces on layer 1, leaf faces on layer 3, cap faces on
// layer 2, each with four corners (a triangle repeats its third corner).
class DXFExportSink : public MeshSink {
public:
    explicit DXFExportSink(TGDXFFileWriter& writer) : writer_(writer) {}

    void Side(const SegmentRings& rings) override;
    void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) override;
    void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) override;

private:
    void Face(int layer, const Vector3D& a, const Vector3D& b, const Vector3D& c);

    TGDXFFileWriter& writer_;
};

// Up to three Mesh objects: tree, leaves (when exported), caps. Positions are
// written as they arrive; only the tree's normals (and one normal per cap) wait
// for the position list to end.
class DirectXExportSink : public MeshSink {
public:
    // writeCapMesh: whether the cap mesh is written (in the program: when a stump
    // display list exists).
    DirectXExportSink(TGDirectXFileWriter& writer, bool writeCapMesh) : writer_(writer), writeCaps_(writeCapMesh) {}

    void BeginSides(std::size_t sideCount, int division) override;
    void Side(const SegmentRings& rings) override;
    void EndSides() override;
    void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) override;
    void BeginCaps(std::size_t capCount, int division) override;
    void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) override;
    void EndCaps() override;

private:
    void BeginMesh(std::size_t vertexCount);
    void Position(const Vector3D& p);
    void StripFaces(int start, int vertexCount);
    void FanFaces(int start, int division);

    TGDirectXFileWriter& writer_;
    bool writeCaps_;
    int division_ = 3;
    std::size_t meshVertices_ = 0;
    std::size_t positionsWritten_ = 0;
    std::vector<float> sideNormals_;  // x, y, z per tree vertex
    std::vector<double> sideV_;       // bottom and top v per side
    std::vector<Vector3D> capNormals_;
};

// Counts what a build produces and the box it fills, for the view's counters,
// the command line's report and the benchmarks.
class CountingSink : public MeshSink {
public:
    void Side(const SegmentRings& rings) override;
    void Leaves(const LeafStore::List& polygons, const ViewTransform& transform) override;
    void Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) override;

    std::size_t sides = 0;
    std::size_t caps = 0;
    std::size_t sideTriangles = 0;
    std::size_t capTriangles = 0;
    std::size_t leafTriangles = 0;
    bool hasPoints = false;
    Vector3D minimum, maximum;

private:
    void Include(const Vector3D& p);
};

}  // namespace grovewright

namespace grovewright {

class MeshBuilder;
class WindWeights;

// One export pass into an open writer. DXF: the ENTITIES section with sides,
// leaves (withLeaves) and caps. DirectX: the tree mesh, the leaf mesh
// (withLeaves) and, when writeCapMesh, the cap mesh.
void ExportDXFPass(TGDXFFileWriter& writer, MeshBuilder& builder, bool withLeaves);
void ExportDirectXPass(TGDirectXFileWriter& writer, MeshBuilder& builder, bool withLeaves, bool writeCapMesh);

// How an export ended: its file written; stopped by the builder's progress
// function (the unfinished file removed, the one that was there kept); or not
// opened or not finished (the writer's LastError says why, the old file kept).
enum class ExportResult { Written, Cancelled, Failed };
// Opens the writer's file, runs one pass of the builder into it and closes it.
// A DirectX file carries the cap mesh when some segment is cut.
ExportResult ExportFile(TGDXFFileWriter& writer, MeshBuilder& builder, bool withLeaves);
ExportResult ExportFile(TGDirectXFileWriter& writer, MeshBuilder& builder, bool withLeaves);
// The wind weights a glTF or GLB carries: none, or per vertex as the custom
// attribute _WIND, and with asColour as COLOR_0 as well.
struct WindOutput {
    const WindWeights* weights = nullptr;
    bool asColour = false;
};

// Runs one pass of the builder into a model (a cancelled pass writes nothing)
// and writes it in the format with the textures; Failed with error set when a
// file cannot be written.
ExportResult ExportModel(ModelFormat format, const std::string& path, MeshBuilder& builder, bool withLeaves,
                         const ModelTextures& textures, std::string& error, const WindOutput& wind = {});

}  // namespace grovewright
