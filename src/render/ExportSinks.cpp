#include "render/ExportSinks.h"

#include <algorithm>

#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"
#include "render/MeshBuilder.h"
#include "render/ModelSink.h"
#include "render/ViewTransform.h"
#include "render/WindWeights.h"

namespace grovewright {

// ---- DXF ----

void DXFExportSink::Face(int layer, const Vector3D& a, const Vector3D& b, const Vector3D& c) {
    writer_.Begin3DFace();
    writer_.WriteLayer(layer);
    for (const Vector3D* corner : {&a, &b, &c, &c}) {
        writer_.WriteX(corner->x);
        writer_.WriteY(corner->y);
        writer_.WriteZ(corner->z);
    }
    writer_.ResetCoordinateCodes();
}

void DXFExportSink::Side(const SegmentRings& rings) {
    const Vector3D* b = rings.bottom;
    const Vector3D* t = rings.top;
    for (int l = 0; l < rings.division; ++l) {
        Face(1, b[l], t[l], b[l + 1]);
        Face(1, t[l], t[l + 1], b[l + 1]);
    }
}

void DXFExportSink::Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
    for (const LeafPolygon& polygon : polygons) {
        for (int l = 0; l + 2 < polygon.VertexCount(); ++l) {
            const Vector3D p0 = transform.LeafPoint(polygon[l]);
            const Vector3D p1 = transform.LeafPoint(polygon[l + 1]);
            const Vector3D p2 = transform.LeafPoint(polygon[l + 2]);
            if (l % 2 == 0)
                Face(3, p0, p1, p2);
            else
                Face(3, p1, p0, p2);
        }
    }
}

void DXFExportSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D&, int division) {
    for (int m = division; m >= 1; --m) Face(2, centre, top[m], top[m - 1]);
}

// ---- DirectX ----

void DirectXExportSink::BeginMesh(std::size_t vertexCount) {
    meshVertices_ = vertexCount;
    positionsWritten_ = 0;
    writer_.BeginMesh(static_cast<int>(vertexCount));
}

void DirectXExportSink::Position(const Vector3D& p) {
    ++positionsWritten_;
    writer_.WriteVector(p.x, p.y, p.z, positionsWritten_ == meshVertices_);
}


void DirectXExportSink::StripFaces(int start, int vertexCount) {
    for (int k = 0; k + 2 < vertexCount; ++k) {
        const int odd = k % 2;
        writer_.WriteFaceIndex(start + k + odd);
        writer_.WriteFaceIndex(start + k + 1 - odd);
        writer_.WriteFaceIndex(start + k + 2);
    }
}

void DirectXExportSink::FanFaces(int start, int division) {
    for (int k = 0; k < division; ++k) {
        writer_.WriteFaceIndex(start);
        writer_.WriteFaceIndex(start + k + 1);
        writer_.WriteFaceIndex(start + k + 2);
    }
}

void DirectXExportSink::BeginSides(std::size_t sideCount, int division) {
    division_ = division;
    BeginMesh(sideCount * 2 * (division + 1));
    // The ring normals are single precision already: keep them so, it halves the
    // memory of a large tree's export.
    sideNormals_.clear();
    sideNormals_.reserve(3 * meshVertices_);
    sideV_.clear();
    sideV_.reserve(2 * sideCount);
}

void DirectXExportSink::Side(const SegmentRings& rings) {
    for (int l = 0; l <= rings.division; ++l) {
        Position(rings.bottom[l]);
        Position(rings.top[l]);
        sideNormals_.insert(sideNormals_.end(), rings.normals + 6 * l, rings.normals + 6 * l + 6);
    }
    sideV_.insert(sideV_.end(), {rings.vBottom, rings.vTop});
}

void DirectXExportSink::EndSides() {
    const int n = division_;
    const int stripVertices = 2 * (n + 1);
    const int vertices = static_cast<int>(meshVertices_);
    const int strips = vertices / stripVertices;
    auto faces = [&] {
        writer_.BeginFaces(strips * 2 * n);
        writer_.SetFaceSize(3);
        for (int strip = 0; strip < strips; ++strip) StripFaces(strip * stripVertices, stripVertices);
    };
    faces();
    writer_.BeginNormals(vertices);
    for (int i = 0; i < vertices; ++i)
        writer_.WriteVector(sideNormals_[3 * i], sideNormals_[3 * i + 1], sideNormals_[3 * i + 2], i + 1 == vertices);
    sideNormals_ = {};
    faces();
    writer_.CloseBlock();
    writer_.BeginTextureCoords(vertices);
    for (int m = 0; m < vertices / 2; ++m) {
        const double u = RingTextureU(m % (n + 1), n);
        const std::size_t side = static_cast<std::size_t>(m / (n + 1));
        writer_.WriteTextureCoord(u, sideV_[2 * side], false);
        writer_.WriteTextureCoord(u, sideV_[2 * side + 1], m + 1 == vertices / 2);
    }
    sideV_ = {};
    writer_.CloseBlock();
    writer_.CloseBlock();
}

void DirectXExportSink::Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
    std::size_t vertices = 0;
    int faceCount = 0;
    for (const LeafPolygon& polygon : polygons) {
        vertices += static_cast<std::size_t>(polygon.VertexCount());
        faceCount += LeafTriangleCount(polygon);
    }
    BeginMesh(vertices);
    for (const LeafPolygon& polygon : polygons)
        for (int i = 0; i < polygon.VertexCount(); ++i) Position(transform.LeafPoint(polygon[i]));
    auto faces = [&] {
        writer_.BeginFaces(faceCount);
        writer_.SetFaceSize(3);
        int start = 0;
        for (const LeafPolygon& polygon : polygons) {
            StripFaces(start, polygon.VertexCount());
            start += polygon.VertexCount();
        }
    };
    faces();
    writer_.BeginNormals(static_cast<int>(vertices));
    std::size_t written = 0;
    for (const LeafPolygon& polygon : polygons) {
        for (int i = 0; i < polygon.VertexCount(); ++i) {
            const Vector3D normal = transform.LeafNormal(polygon[i]);
            writer_.WriteVector(normal.x, normal.y, normal.z, ++written == vertices);
        }
    }
    faces();
    writer_.CloseBlock();
    writer_.BeginTextureCoords(static_cast<int>(vertices));
    written = 0;
    for (const LeafPolygon& polygon : polygons)
        for (int i = 0; i < polygon.VertexCount(); ++i)
            writer_.WriteTextureCoord(polygon[i].u, polygon[i].v, ++written == vertices);
    writer_.CloseBlock();
    if (polygons.Tinted()) {
        writer_.BeginVertexColours(static_cast<int>(vertices));
        written = 0;
        for (const LeafPolygon& polygon : polygons) {
            const std::uint32_t c = polygon.Colour();
            const double rgba[4] = {(c & 0xff) / 255.0, (c >> 8 & 0xff) / 255.0, (c >> 16 & 0xff) / 255.0,
                                    (c >> 24) / 255.0};
            for (int i = 0; i < polygon.VertexCount(); ++i, ++written)
                writer_.WriteVertexColour(static_cast<int>(written), rgba, written + 1 == vertices);
        }
        writer_.CloseBlock();
    }
    writer_.CloseBlock();
}

void DirectXExportSink::BeginCaps(std::size_t capCount, int division) {
    if (!writeCaps_) return;
    division_ = division;
    BeginMesh(capCount * (division + 2));
    capNormals_.clear();
}

void DirectXExportSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int division) {
    if (!writeCaps_) return;
    Position(centre);
    for (int m = division; m >= 0; --m) Position(top[m]);
    capNormals_.push_back(normal);
}

void DirectXExportSink::EndCaps() {
    if (!writeCaps_) return;
    const int n = division_;
    const int vertices = static_cast<int>(meshVertices_);
    const int caps = vertices / (n + 2);
    auto faces = [&] {
        writer_.BeginFaces(vertices - 2 * caps);
        writer_.SetFaceSize(3);
        for (int cap = 0; cap < caps; ++cap) FanFaces(cap * (n + 2), n);
    };
    faces();
    // Every point of a cap shares its one normal.
    writer_.BeginNormals(vertices);
    for (int cap = 0; cap < caps; ++cap) {
        const Vector3D& normal = capNormals_[cap];
        for (int i = 0; i < n + 2; ++i)
            writer_.WriteVector(normal.x, normal.y, normal.z, cap + 1 == caps && i == n + 1);
    }
    faces();
    writer_.CloseBlock();
    writer_.BeginTextureCoords(vertices);
    for (int cap = 0; cap < caps; ++cap) {
        writer_.WriteTextureCoord(0.5, 0.5, false);
        for (int m = n; m >= 0; --m) {
            double u, v;
            CapTextureCoord(m, n, u, v);
            writer_.WriteTextureCoord(u, v, cap + 1 == caps && m == 0);
        }
    }
    writer_.CloseBlock();
    writer_.CloseBlock();
}

// ---- Counting ----

void CountingSink::Include(const Vector3D& p) {
    if (!hasPoints) {
        minimum = maximum = p;
        hasPoints = true;
        return;
    }
    minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
    maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
}

void CountingSink::Side(const SegmentRings& rings) {
    ++sides;
    sideTriangles += 2 * static_cast<std::size_t>(rings.division);
    for (int l = 0; l <= rings.division; ++l) {
        Include(rings.bottom[l]);
        Include(rings.top[l]);
    }
}

void CountingSink::Leaves(const LeafStore::List& polygons, const ViewTransform& transform) {
    for (const LeafPolygon& polygon : polygons) {
        leafTriangles += static_cast<std::size_t>(LeafTriangleCount(polygon));
        for (int i = 0; i < polygon.VertexCount(); ++i) Include(transform.LeafPoint(polygon[i]));
    }
}

void CountingSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D&, int division) {
    ++caps;
    capTriangles += static_cast<std::size_t>(division);
    Include(centre);
    for (int m = 0; m <= division; ++m) Include(top[m]);
}

}  // namespace grovewright

namespace grovewright {

void ExportDXFPass(TGDXFFileWriter& writer, MeshBuilder& builder, bool withLeaves) {
    writer.BeginEntitiesSection();
    DXFExportSink sink(writer);
    builder.BuildTree(sink, withLeaves);
    writer.EndSection();
}

void ExportDirectXPass(TGDirectXFileWriter& writer, MeshBuilder& builder, bool withLeaves, bool writeCapMesh) {
    DirectXExportSink sink(writer, writeCapMesh);
    builder.BuildTree(sink, withLeaves);
}

namespace {

template <typename Pass>
ExportResult RunExport(TGFileWriter& writer, const MeshBuilder& builder, Pass&& pass) {
    if (!writer.Open()) return ExportResult::Failed;
    const AbortUnlessClosed unwinding(writer);
    pass();
    if (builder.Cancelled()) {
        writer.Abort();
        return ExportResult::Cancelled;
    }
    return writer.Close() ? ExportResult::Written : ExportResult::Failed;
}

}  // namespace

ExportResult ExportFile(TGDXFFileWriter& writer, MeshBuilder& builder, bool withLeaves) {
    return RunExport(writer, builder, [&] { ExportDXFPass(writer, builder, withLeaves); });
}

ExportResult ExportFile(TGDirectXFileWriter& writer, MeshBuilder& builder, bool withLeaves) {
    return RunExport(writer, builder,
                     [&] { ExportDirectXPass(writer, builder, withLeaves, builder.Skeleton().AnyCut()); });
}

ExportResult ExportModel(ModelFormat format, const std::string& path, MeshBuilder& builder, bool withLeaves,
                         const ModelTextures& textures, std::string& error, const WindOutput& wind) {
    TreeModel model;
    ModelSink sink(model);
    sink.CarryWind(wind.weights);
    model.windAsColour = wind.asColour;
    // The tree weights follow from the finished model's heights.
    auto build = [&] {
        builder.BuildTree(sink, withLeaves);
        if (wind.weights) WindWeights::FinishTreeWeights(model);
    };
    if (format == ModelFormat::GLB) {
        // The file is written while the tree is built.
        GlbStream glb(path);
        if (!glb.Open(error)) return ExportResult::Failed;
        sink.OnBarkReady([&glb](const MeshPart& bark, std::size_t firstVertex, std::size_t endVertex,
                                std::size_t firstIndex, std::size_t endIndex) {
            glb.BarkReady(bark, firstVertex, endVertex, firstIndex, endIndex);
        });
        build();
        if (builder.Cancelled()) {
            glb.Abort();
            return ExportResult::Cancelled;
        }
        return glb.Finish(model, textures, error) ? ExportResult::Written : ExportResult::Failed;
    }
    build();
    if (builder.Cancelled()) return ExportResult::Cancelled;
    return WriteModel(format, path, model, textures, error) ? ExportResult::Written : ExportResult::Failed;
}

}  // namespace grovewright
