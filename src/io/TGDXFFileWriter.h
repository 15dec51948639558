#pragma once

#include <string>

#include "io/TGFileWriter.h"

namespace grovewright {

// Writes a DXF drawing of 3DFACE entities: one group code or value per line,
// coordinates as "%.06f", codes and layers as "%i". The plain operations write
// only while the file is open; they never open (and so truncate) a file by themselves.
class TGDXFFileWriter : public TGFileWriter {
public:
    static constexpr const char* kBanner = "Created with Grovewright v2.3.2 by Vantell";

    TGDXFFileWriter() : TGFileWriter("dxf") {}

    // Opens and writes the banner comment.
    bool Open() override;
    // Writes "0", "EOF" and closes.
    bool Close() override;

    void WriteComment(const std::string& text);
    void BeginEntitiesSection() { BeginSection("ENTITIES"); }
    void BeginBlocksSection() { BeginSection("BLOCKS"); }
    void BeginTablesSection() { BeginSection("TABLES"); }
    void BeginHeaderSection() { BeginSection("HEADER"); }
    void EndSection() { WritePair("0", "ENDSEC"); }
    void Begin3DFace() { WritePair("0", "3DFACE"); }
    void BeginLine() { WritePair("0", "LINE"); }
    void WriteLayer(int layer);
    // Each writes its code and value; the code then advances by one, up to 19 / 29 / 39.
    void WriteX(double x) { WriteCoordinate(xCode_, 19, x); }
    void WriteY(double y) { WriteCoordinate(yCode_, 29, y); }
    void WriteZ(double z) { WriteCoordinate(zCode_, 39, z); }
    // Back to the codes 10, 20, 30 for the next face.
    void ResetCoordinateCodes();

private:
    void BeginSection(const char* name);
    void WritePair(const char* code, const char* value);
    void WriteCoordinate(int& code, int last, double value);

    int xCode_ = 10;
    int yCode_ = 20;
    int zCode_ = 30;
};

}  // namespace grovewright
