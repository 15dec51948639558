#include "io/TGDXFFileWriter.h"

#include "io/NumberFormat.h"

namespace grovewright {

bool TGDXFFileWriter::Open() {
    if (IsOpen()) return true;
    if (!TGFileWriter::Open()) return false;
    WriteComment(kBanner);
    return true;
}

bool TGDXFFileWriter::Close() {
    if (IsOpen()) WritePair("0", "EOF");
    return TGFileWriter::Close();
}

void TGDXFFileWriter::WriteComment(const std::string& text) { WritePair("999", text.c_str()); }

void TGDXFFileWriter::BeginSection(const char* name) {
    WritePair("0", "SECTION");
    WritePair("2", name);
}

void TGDXFFileWriter::WritePair(const char* code, const char* value) {
    WriteLine(code);
    WriteLine(value);
}

void TGDXFFileWriter::WriteLayer(int layer) {
    char* out = Reserve(kMaxIntChars + 3);
    if (!out) return;
    *out++ = '8';
    *out++ = '\n';
    out = PutInt(out, layer);
    *out++ = '\n';
    Commit(out);
}

void TGDXFFileWriter::WriteCoordinate(int& code, int last, double value) {
    char* out = Reserve(kMaxIntChars + kMaxFixed6Chars + 2);
    if (!out) return;
    out = PutInt(out, code);
    *out++ = '\n';
    out = PutFixed6(out, value);
    *out++ = '\n';
    Commit(out);
    if (code != last) ++code;
}

void TGDXFFileWriter::ResetCoordinateCodes() {
    xCode_ = 10;
    yCode_ = 20;
    zCode_ = 30;
}

}  // namespace grovewright
