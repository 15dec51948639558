#include "io/TGDirectXFileWriter.h"

#include "io/NumberFormat.h"

namespace grovewright {

bool TGDirectXFileWriter::Open() {
    if (IsOpen()) return true;
    if (!TGFileWriter::Open()) return false;
    WriteLine("xof 0302txt 0032");
    WriteLine(kBanner);
    meshNumber_ = 0;
    return true;
}

namespace {

char* PutText(char* out, const char* text) {
    while (*text) *out++ = *text++;
    return out;
}

// Entry terminator: ";;" ends a list, ";," separates entries.
char* PutEntryEnd(char* out, bool last) {
    *out++ = ';';
    *out++ = last ? ';' : ',';
    *out++ = '\n';
    return out;
}

}  // namespace

void TGDirectXFileWriter::WriteCountLine(int count) {
    WriteLine(FormatInt(count) + ";");
}

void TGDirectXFileWriter::BeginMesh(int vertexCount) {
    if (!IsOpen()) return;
    WriteLine("Mesh Mesh_" + FormatInt(meshNumber_) + " {");
    WriteCountLine(vertexCount);
    ++meshNumber_;
}

void TGDirectXFileWriter::WriteVector(double x, double y, double z, bool last) {
    char* out = Reserve(3 * kMaxFixed6Chars + 8);
    if (!out) return;
    out = PutFixed6(out, x);
    out = PutText(out, "; ");
    out = PutFixed6(out, y);
    out = PutText(out, "; ");
    out = PutFixed6(out, z);
    Commit(PutEntryEnd(out, last));
}

void TGDirectXFileWriter::BeginFaces(int faceCount) {
    faceCount_ = faceCount;
    faceNumber_ = 0;
    WriteCountLine(faceCount);
}

void TGDirectXFileWriter::SetFaceSize(int indicesPerFace) {
    faceSize_ = indicesPerFace;
    indexInFace_ = 0;
}

// A face is one line: "<size>;" then " <index>;" per index, then "," or, after
// the announced number of faces, ";". A triangle 4, 5, 6 reads "3; 4; 5; 6;,".
void TGDirectXFileWriter::WriteFaceIndex(int index) {
    char* out = Reserve(2 * kMaxIntChars + 6);
    if (!out) return;
    if (indexInFace_ == 0) {
        out = PutInt(out, faceSize_);
        *out++ = ';';
    }
    *out++ = ' ';
    out = PutInt(out, index);
    *out++ = ';';
    if (++indexInFace_ == faceSize_) {
        indexInFace_ = 0;
        ++faceNumber_;
        *out++ = faceNumber_ >= faceCount_ ? ';' : ',';
        *out++ = '\n';
    }
    Commit(out);
}

void TGDirectXFileWriter::BeginNormals(int count) {
    WriteLine("MeshNormals {");
    WriteCountLine(count);
}

void TGDirectXFileWriter::BeginTextureCoords(int count) {
    WriteLine("MeshTextureCoords {");
    WriteCountLine(count);
}

void TGDirectXFileWriter::WriteTextureCoord(double u, double v, bool last) {
    char* out = Reserve(2 * kMaxFixed6Chars + 5);
    if (!out) return;
    out = PutFixed6(out, u);
    out = PutText(out, "; ");
    out = PutFixed6(out, v);
    Commit(PutEntryEnd(out, last));
}

void TGDirectXFileWriter::BeginVertexColours(int count) {
    WriteLine("MeshVertexColors {");
    WriteCountLine(count);
}

void TGDirectXFileWriter::WriteVertexColour(int index, const double (&rgba)[4], bool last) {
    char* out = Reserve(kMaxIntChars + 4 * (kMaxFixed6Chars + 2) + 5);
    if (!out) return;
    out = PutInt(out, index);
    for (double c : rgba) {
        out = PutText(out, "; ");
        out = PutFixed6(out, c);
    }
    *out++ = ';';
    Commit(PutEntryEnd(out, last));
}

}  // namespace grovewright
