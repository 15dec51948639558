#pragma once

#include <string>

#include "io/TGFileWriter.h"

namespace grovewright {

// Writes a DirectX text mesh file: top-level Mesh objects with positions, faces,
// MeshNormals, MeshTextureCoords and, for leaves of their own colours,
// MeshVertexColors, reals as "%.06f" and integers as "%i".
// The plain operations write only while the file is open.
class TGDirectXFileWriter : public TGFileWriter {
public:
    static constexpr const char* kBanner = "# Created with Grovewright v2.3.2 by Vantell";

    TGDirectXFileWriter() : TGFileWriter("x") {}

    // Opens, writes the header and banner lines and restarts the mesh numbering.
    bool Open() override;

    // "Mesh Mesh_<number> {" and "<vertexCount>;"; the mesh number advances.
    void BeginMesh(int vertexCount);
    // "x; y; z;" followed by "," or, for the last entry, ";".
    void WriteVector(double x, double y, double z, bool last);
    // "<faceCount>;" and the start of a face list.
    void BeginFaces(int faceCount);
    void SetFaceSize(int indicesPerFace);
    // Writes one index of the current face; see the .cpp for the line layout.
    void WriteFaceIndex(int index);
    void BeginNormals(int count);
    void BeginTextureCoords(int count);
    // "u; v;" followed by "," or, for the last entry, ";".
    void WriteTextureCoord(double u, double v, bool last);
    // "MeshVertexColors {" and its count.
    void BeginVertexColours(int count);
    // "index; r; g; b; a;" followed by ";," or, for the last entry, ";;".
    void WriteVertexColour(int index, const double (&rgba)[4], bool last);
    void CloseBlock() { WriteLine("}"); }

private:
    void WriteCountLine(int count);

    int meshNumber_ = 0;
    int faceCount_ = 0;
    int faceNumber_ = 0;
    int faceSize_ = 0;
    int indexInFace_ = 0;
};

}  // namespace grovewright
