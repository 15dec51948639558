#include "ExportParsers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <sstream>

#include "TestHelpers.h"

namespace grovewright::test {

namespace {

bool ParseDouble(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

// Splits "a; b; c;" into its numbers; rest receives what follows the last ';'.
std::vector<double> Numbers(const std::string& line, std::string& rest) {
    std::vector<double> values;
    std::string::size_type start = 0;
    for (;;) {
        const auto semicolon = line.find(';', start);
        if (semicolon == std::string::npos) break;
        std::string piece = line.substr(start, semicolon - start);
        if (!piece.empty() && piece[0] == ' ') piece.erase(0, 1);
        double value;
        if (!ParseDouble(piece, value)) break;
        values.push_back(value);
        start = semicolon + 1;
    }
    rest = line.substr(start);
    return values;
}

class DirectXReader {
public:
    explicit DirectXReader(const std::string& text) : lines_(SplitLines(text)) {}

    ParsedDirectX Parse() {
        ParsedDirectX result;
        if (lines_.size() < 2 || lines_[0] != "xof 0302txt 0032" ||
            lines_[1] != "# Created with Grovewright v2.3.2 by Vantell") {
            result.error = "bad header";
            return result;
        }
        at_ = 2;
        while (at_ < lines_.size() && error_.empty()) {
            DirectXMesh mesh;
            const std::string& open = Next();
            if (open.rfind("Mesh ", 0) != 0 || open.substr(open.size() - 2) != " {") Fail("mesh header: " + open);
            mesh.name = open.substr(5, open.size() - 7);
            mesh.positions = Vectors<3>();
            mesh.faces = Faces();
            Expect("MeshNormals {");
            mesh.normals = Vectors<3>();
            mesh.normalFaces = Faces();
            Expect("}");
            Expect("MeshTextureCoords {");
            for (const auto& uv : Vectors<2>()) mesh.textureCoords.push_back({uv.x, uv.y});
            Expect("}");
            Expect("}");
            result.meshes.push_back(std::move(mesh));
        }
        result.error = error_;
        return result;
    }

private:
    const std::string& Next() {
        static const std::string empty;
        if (at_ >= lines_.size()) {
            Fail("unexpected end");
            return empty;
        }
        return lines_[at_++];
    }
    void Expect(const std::string& line) {
        if (Next() != line) Fail("expected " + line + " at line " + std::to_string(at_));
    }
    void Fail(const std::string& message) {
        if (error_.empty()) error_ = message;
        at_ = lines_.size();
    }
    int Count() {
        std::string rest;
        const auto values = Numbers(Next(), rest);
        if (values.size() != 1 || !rest.empty()) Fail("count line " + std::to_string(at_));
        return values.empty() ? 0 : static_cast<int>(values[0]);
    }
    // Entries end with ";," except the last, which ends with ";;".
    void CheckEnd(const std::string& rest, bool last) {
        if (rest != (last ? ";" : ",")) Fail("entry end at line " + std::to_string(at_));
    }
    template <int N>
    std::vector<Vector3D> Vectors() {
        const int count = Count();
        std::vector<Vector3D> result;
        for (int i = 0; i < count && error_.empty(); ++i) {
            std::string rest;
            const auto values = Numbers(Next(), rest);
            if (values.size() != N) Fail("entry size at line " + std::to_string(at_));
            CheckEnd(rest, i + 1 == count);
            result.push_back({values.size() > 0 ? values[0] : 0, values.size() > 1 ? values[1] : 0,
                              N == 3 && values.size() > 2 ? values[2] : 0});
        }
        return result;
    }
    std::vector<std::array<int, 3>> Faces() {
        const int count = Count();
        std::vector<std::array<int, 3>> result;
        for (int i = 0; i < count && error_.empty(); ++i) {
            std::string rest;
            const auto values = Numbers(Next(), rest);
            if (values.size() != 4 || values[0] != 3) Fail("face at line " + std::to_string(at_));
            CheckEnd(rest, i + 1 == count);
            if (values.size() == 4)
                result.push_back({static_cast<int>(values[1]), static_cast<int>(values[2]), static_cast<int>(values[3])});
        }
        return result;
    }

    std::vector<std::string> lines_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

ParsedDXF ParseDXF(const std::string& text) {
    ParsedDXF result;
    const auto lines = SplitLines(text);
    const std::vector<std::string> head = {"999", "Created with Grovewright v2.3.2 by Vantell", "0", "SECTION",
                                           "2", "ENTITIES"};
    const std::vector<std::string> tail = {"0", "ENDSEC", "0", "EOF"};
    if (lines.size() < 10 || !std::equal(head.begin(), head.end(), lines.begin()) ||
        !std::equal(tail.begin(), tail.end(), lines.end() - 4) || (lines.size() - 10) % 28 != 0) {
        result.error = "bad frame";
        return result;
    }
    for (std::size_t at = 6; at + 4 < lines.size(); at += 28) {
        DXFFace face;
        if (lines[at] != "0" || lines[at + 1] != "3DFACE" || lines[at + 2] != "8") {
            result.error = "bad face at line " + std::to_string(at + 1);
            return result;
        }
        face.layer = std::atoi(lines[at + 3].c_str());
        for (int corner = 0; corner < 4; ++corner) {
            double xyz[3];
            for (int axis = 0; axis < 3; ++axis) {
                const std::size_t code = at + 4 + 6 * corner + 2 * axis;
                if (lines[code] != std::to_string(10 * (axis + 1) + corner) ||
                    !ParseDouble(lines[code + 1], xyz[axis])) {
                    result.error = "bad coordinate at line " + std::to_string(code + 1);
                    return result;
                }
            }
            face.corners[corner] = {xyz[0], xyz[1], xyz[2]};
        }
        result.faces.push_back(face);
    }
    return result;
}

ParsedDirectX ParseDirectX(const std::string& text) { return DirectXReader(text).Parse(); }

namespace {

std::uint32_t Word(const std::string& bytes, std::size_t at) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(bytes[at + i]);
    return word;
}

}  // namespace

ParsedGlb ParseGlb(const std::string& bytes) {
    ParsedGlb glb;
    if (bytes.size() < 20 || Word(bytes, 0) != 0x46546C67 || Word(bytes, 4) != 2 || Word(bytes, 8) != bytes.size()) {
        glb.error = "bad header";
        return glb;
    }
    const std::uint32_t jsonSize = Word(bytes, 12);
    if (Word(bytes, 16) != 0x4E4F534A || jsonSize % 4 != 0 || 20 + jsonSize > bytes.size()) {
        glb.error = "bad JSON chunk";
        return glb;
    }
    glb.json = nlohmann::json::parse(bytes.substr(20, jsonSize));
    const std::size_t binAt = 20 + jsonSize;
    if (binAt < bytes.size()) {
        const std::uint32_t binSize = Word(bytes, binAt);
        if (Word(bytes, binAt + 4) != 0x004E4942 || binSize % 4 != 0 || binAt + 8 + binSize != bytes.size()) {
            glb.error = "bad BIN chunk";
            return glb;
        }
        glb.bin = bytes.substr(binAt + 8, binSize);
    }
    return glb;
}

std::string ParsedGlb::View(int view) const {
    const auto& v = json["bufferViews"][view];
    const std::size_t offset = v.value("byteOffset", 0u), length = v["byteLength"];
    EXPECT_EQ(offset % 4, 0u) << "view " << view;
    EXPECT_LE(offset + length, bin.size()) << "view " << view;
    return offset + length <= bin.size() ? bin.substr(offset, length) : std::string();
}

std::vector<float> ParsedGlb::Floats(int accessor) const {
    const auto& a = json["accessors"][accessor];
    EXPECT_EQ(a["componentType"], 5126);
    const std::string data = View(a["bufferView"]);
    std::vector<float> values(data.size() / 4);
    std::memcpy(values.data(), data.data(), values.size() * 4);
    return values;
}

std::vector<std::uint32_t> ParsedGlb::Indices(int accessor) const {
    const auto& a = json["accessors"][accessor];
    const std::string data = View(a["bufferView"]);
    const std::size_t count = a["count"];
    std::vector<std::uint32_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (a["componentType"] == 5123)
            values[i] = static_cast<unsigned char>(data[2 * i]) | static_cast<unsigned char>(data[2 * i + 1]) << 8;
        else
            values[i] = Word(data, 4 * i);
    }
    return values;
}

}  // namespace grovewright::test
