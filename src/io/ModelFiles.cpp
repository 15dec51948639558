#include "io/ModelFiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string_view>

#include "io/FileSet.h"
#include "io/ImageFiles.h"
#include "io/ProgramVersion.h"
#include "io/TGFileWriter.h"
#include "render/PaintedTextures.h"
#include "render/ProceduralTextures.h"

namespace grovewright {

namespace {

using Json = nlohmann::json;

// A model part and how it is dressed.
struct Part {
    const MeshPart* mesh;
    const char* material;  // "Bark", "Stump" or "Leaves"
    const std::string* image;  // its texture, as the file stores it
    bool jpeg;                 // a JPEG's bytes, else a PNG's
    const std::string* normals = nullptr;  // its normal map's PNG bytes, when it has one
};

// The parts the model has, in file order, grouped by node: Tree (bark, caps), Leaves.
std::vector<std::vector<Part>> Nodes(const TreeModel& model, const ModelTextures& textures) {
    std::vector<std::vector<Part>> nodes(2);
    auto part = [&](const MeshPart& mesh, const char* material, const PixelImage& texture) {
        return Part{&mesh, material, &textures.Encoded(texture), textures.IsJpeg(texture)};
    };
    if (!model.bark.Empty()) {
        nodes[0].push_back(part(model.bark, "Bark", textures.bark));
        if (textures.barkNormals.width > 0) nodes[0].back().normals = &textures.Encoded(textures.barkNormals);
    }
    if (!model.caps.Empty()) nodes[0].push_back(part(model.caps, "Stump", textures.stump));
    if (!model.leaves.Empty()) nodes[1].push_back(part(model.leaves, "Leaves", textures.leaves));
    return nodes;
}

const char* kNodeNames[2] = {"Tree", "Leaves"};

// Per vertex the direction in which the texture's u grows, along the surface
// and square to the normal, and the sign that gives the direction of v (x, y,
// z, w): what a normal map needs besides the normal. Summed over the triangles
// that share the vertex; where u does not change, any direction square to the normal.
ModelArray<float> Tangents(const MeshPart& mesh) {
    const std::size_t vertices = mesh.VertexCount();
    std::vector<Vector3D> along(vertices), up(vertices);
    auto position = [&](std::uint32_t i) {
        return Vector3D(mesh.positions[3 * i], mesh.positions[3 * i + 1], mesh.positions[3 * i + 2]);
    };
    for (std::size_t at = 0; at + 2 < mesh.indices.size(); at += 3) {
        const std::uint32_t a = mesh.indices[at], b = mesh.indices[at + 1], c = mesh.indices[at + 2];
        const Vector3D e1 = position(b) - position(a), e2 = position(c) - position(a);
        const double du1 = mesh.uvs[2 * b] - mesh.uvs[2 * a], dv1 = mesh.uvs[2 * b + 1] - mesh.uvs[2 * a + 1];
        const double du2 = mesh.uvs[2 * c] - mesh.uvs[2 * a], dv2 = mesh.uvs[2 * c + 1] - mesh.uvs[2 * a + 1];
        const double det = du1 * dv2 - du2 * dv1;
        if (std::fabs(det) < 1e-20) continue;
        const Vector3D t = (e1 * dv2 - e2 * dv1) * (1.0 / det), s = (e2 * du1 - e1 * du2) * (1.0 / det);
        for (std::uint32_t i : {a, b, c}) along[i] = along[i] + t, up[i] = up[i] + s;
    }
    ModelArray<float> tangents(4 * vertices);
    for (std::size_t i = 0; i < vertices; ++i) {
        const Vector3D n(mesh.normals[3 * i], mesh.normals[3 * i + 1], mesh.normals[3 * i + 2]);
        Vector3D t = along[i] - n * Dot(n, along[i]);
        if (Dot(t, t) < 1e-24) t = std::fabs(n.x) < 0.9 ? Cross(n, Vector3D(1, 0, 0)) : Cross(n, Vector3D(0, 1, 0));
        t.Normalize();
        tangents[4 * i] = static_cast<float>(t.x), tangents[4 * i + 1] = static_cast<float>(t.y);
        tangents[4 * i + 2] = static_cast<float>(t.z);
        tangents[4 * i + 3] = Dot(Cross(n, t), up[i]) < 0 ? -1.0f : 1.0f;
    }
    return tangents;
}

std::size_t Padded(std::size_t size) { return (size + 3) / 4 * 4; }

// "tree.gltf" -> "tree" (the folder kept).
std::string Stem(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

// The file name alone.
std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "oak_Bark" for the part of "oak.glb": engines that keep materials and textures
// by name (in a project's folder) then keep each tree's own. Bytes other than
// letters, digits, '-' and '_' become '_', so that every reader takes the name whole.
std::string TreeOwnName(const std::string& stem, const std::string& name) {
    std::string tree = BaseName(stem);
    for (char& c : tree)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    return tree + "_" + name;
}

// A file name as a relative URI: bytes other than letters, digits and "-._~" percent-encoded.
std::string Uri(const std::string& name) {
    std::string uri;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("-._~", c)) {
            uri += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        }
    }
    return uri;
}

// "tree_bark.png" (or ".jpg") beside "tree.gltf".
std::string TextureFile(const std::string& stem, const Part& part) {
    std::string lower = part.material;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return stem + "_" + lower + (part.jpeg ? ".jpg" : ".png");
}
// "tree_bark_normals.png".
std::string NormalsFile(const std::string& stem, const Part& part) {
    const std::string texture = TextureFile(stem, part);
    return texture.substr(0, texture.find_last_of('.')) + "_normals.png";
}

// ---- glTF ----

constexpr const char* kCoverageMeasure =
    "the area of the tree's bounding sphere projected onto the view, as a share of the view's area; each level is "
    "shown from its value up to the value of the level before it, nothing below the last";

// Builds the glTF document and its one binary buffer.
class GltfBuilder {
public:
    // external: the images and the buffer go in files beside the document (their
    // names from stem); otherwise into the binary buffer.
    GltfBuilder(bool external, std::string stem) : external_(external), stem_(std::move(stem)) {}

    void Build(const TreeModel& model, const ModelTextures& textures) {
        windAsColour_ = model.windAsColour;
        doc_["asset"] = {{"version", "2.0"}, {"generator", kProgramVersion}};
        Json sceneNodes = Json::array();
        const auto nodes = Nodes(model, textures);
        for (int n = 0; n < 2; ++n) {
            if (nodes[n].empty()) continue;
            sceneNodes.push_back(MeshNode(kNodeNames[n], nodes[n]));
        }
        Finish(sceneNodes);
    }

    // One node "Tree" over the levels "Tree_LOD0", "Tree_LOD1", ..., each one
    // mesh of all its parts: with MSFT_lod only the first is its child and names
    // the others, which stand outside the scene; by names all are its children.
    void BuildLevels(const LevelsOfDetailModel& levels, const ModelTextures& textures) {
        doc_["asset"] = {{"version", "2.0"}, {"generator", kProgramVersion}};
        Json children = Json::array();
        for (std::size_t k = 0; k < levels.levels.size(); ++k) {
            const TreeModel& model = levels.levels[k];
            windAsColour_ = model.windAsColour;
            std::vector<Part> parts;
            for (const auto& node : Nodes(model, textures)) parts.insert(parts.end(), node.begin(), node.end());
            children.push_back(MeshNode("Tree_LOD" + std::to_string(k), parts));
        }
        if (!levels.impostor.Empty()) {
            const Part part{&levels.impostor, "Impostor", &levels.impostorImage, false};
            children.push_back(MeshNode("Tree_LOD" + std::to_string(levels.levels.size()), {part}));
        }
        Json tree = {{"name", "Tree"}, {"children", children}};
        if (children.size() > 1 && levels.layout == LevelsOfDetailModel::Layout::MsftLod) {
            Json& first = doc_["nodes"][children[0].get<std::size_t>()];
            first["extensions"]["MSFT_lod"]["ids"] = Json(children.begin() + 1, children.end());
            first["extras"]["MSFT_screencoverage"] = levels.coverages;
            doc_["extensionsUsed"] = Json::array({"MSFT_lod"});
            tree["children"] = Json::array({children[0]});
        }
        tree["extras"] = {{"screenCoverage", levels.coverages},
                          {"screenCoverageMeasure", kCoverageMeasure}};
        doc_["nodes"].push_back(tree);
        Finish(Json::array({doc_["nodes"].size() - 1}));
    }

    // The scene of these nodes, and the buffer.
    void Finish(const Json& sceneNodes) {
        Json scene = Json::object();
        if (!sceneNodes.empty()) scene["nodes"] = sceneNodes;
        doc_["scenes"] = Json::array({scene});
        doc_["scene"] = 0;
        if (binSize_ > 0) {
            Json buffer = {{"byteLength", binSize_}};
            if (external_) buffer["uri"] = Uri(BaseName(stem_) + ".bin");
            doc_["buffers"] = Json::array({buffer});
        }
    }

    const Json& Document() const { return doc_; }
    // The binary buffer: its size and its pieces in order, each 4-byte aligned
    // (followed by zeros up to the next multiple of 4).
    std::size_t BinarySize() const { return binSize_; }
    const std::vector<std::string_view>& BinaryPieces() const { return pieces_; }
    // The image files of an external document: name and PNG or JPEG bytes.
    const std::vector<std::pair<std::string, std::string>>& ImageFiles() const { return imageFiles_; }

private:
    // A buffer view of the bytes, which must live as long as the builder (the
    // model's arrays, or a copy kept in owned_).
    int View(const void* data, std::size_t size, int target) {
        Json view = {{"buffer", 0}, {"byteOffset", binSize_}, {"byteLength", size}};
        if (target) view["target"] = target;
        pieces_.emplace_back(static_cast<const char*>(data), size);
        binSize_ += Padded(size);
        doc_["bufferViews"].push_back(view);
        return static_cast<int>(doc_["bufferViews"].size() - 1);
    }
    // A node with one mesh of the parts, both named name; its index.
    std::size_t MeshNode(const std::string& name, const std::vector<Part>& parts) {
        Json primitives = Json::array();
        for (const Part& part : parts) primitives.push_back(Primitive(part));
        doc_["meshes"].push_back({{"name", name}, {"primitives", primitives}});
        doc_["nodes"].push_back({{"name", name}, {"mesh", doc_["meshes"].size() - 1}});
        return doc_["nodes"].size() - 1;
    }

    int OwnedView(std::string bytes, int target) {
        owned_.push_back(std::move(bytes));
        return View(owned_.back().data(), owned_.back().size(), target);
    }

    int Accessor(int view, int componentType, std::size_t count, const char* type) {
        doc_["accessors"].push_back({{"bufferView", view}, {"componentType", componentType}, {"count", count},
                                     {"type", type}});
        return static_cast<int>(doc_["accessors"].size() - 1);
    }

    template <typename T>
    int Floats(const ModelArray<T>& values, int components, const char* type) {
        return Accessor(View(values.data(), values.size() * sizeof(T), kArrayBuffer), kFloat,
                        values.size() / components, type);
    }

    Json Primitive(const Part& part) {
        const MeshPart& mesh = *part.mesh;
        const int position = Floats(mesh.positions, 3, "VEC3");
        doc_["accessors"][position]["min"] = {mesh.minimum[0], mesh.minimum[1], mesh.minimum[2]};
        doc_["accessors"][position]["max"] = {mesh.maximum[0], mesh.maximum[1], mesh.maximum[2]};
        const int normal = Floats(mesh.normals, 3, "VEC3");
        const int uv = Floats(mesh.uvs, 2, "VEC2");
        int indices;
        if (mesh.VertexCount() <= 65535) {
            std::string small(mesh.indices.size() * 2, '\0');
            for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
                small[2 * i] = static_cast<char>(mesh.indices[i] & 0xFF);
                small[2 * i + 1] = static_cast<char>(mesh.indices[i] >> 8);
            }
            indices = Accessor(OwnedView(std::move(small), kElementArrayBuffer), kUnsignedShort, mesh.indices.size(),
                               "SCALAR");
        } else {
            indices = Accessor(View(mesh.indices.data(), mesh.indices.size() * 4, kElementArrayBuffer),
                               kUnsignedInt, mesh.indices.size(), "SCALAR");
        }
        Json attributes = {{"POSITION", position}, {"NORMAL", normal}, {"TEXCOORD_0", uv}};
        // After the indices, so that a streamed bark's four arrays still open the binary chunk.
        if (!mesh.wind.empty()) {
            attributes["_WIND"] = Floats(mesh.wind, 4, "VEC4");
            if (windAsColour_) attributes["COLOR_0"] = attributes["_WIND"];
        }
        // A normal map is read in the tangent space these give.
        if (part.normals) {
            tangents_.push_back(Tangents(mesh));
            attributes["TANGENT"] = Floats(tangents_.back(), 4, "VEC4");
        }
        // Leaf by leaf colours, which every viewer multiplies the texture by.
        if (!mesh.colours.empty() && !attributes.contains("COLOR_0")) {
            const int colour = Accessor(View(mesh.colours.data(), mesh.colours.size(), kArrayBuffer), kUnsignedByte,
                                        mesh.colours.size() / 4, "VEC4");
            doc_["accessors"][colour]["normalized"] = true;
            attributes["COLOR_0"] = colour;
        }
        return {{"attributes", attributes},
                {"indices", indices},
                {"material", Material(part)},
                {"mode", 4}};
    }

    // A texture of the image (its file, its bytes, a JPEG's or a PNG's); its index.
    std::size_t Texture(const std::string& name, const std::string& file, const std::string& bytes, bool jpeg) {
        Json image = {{"name", name}};
        if (external_) {
            image["uri"] = Uri(BaseName(file));
            imageFiles_.emplace_back(file, bytes);
        } else {
            image["bufferView"] = OwnedView(bytes, 0);
            image["mimeType"] = jpeg ? "image/jpeg" : "image/png";
        }
        doc_["images"].push_back(image);
        if (!doc_.contains("samplers"))
            doc_["samplers"] = Json::array({{{"magFilter", 9729}, {"minFilter", 9729}, {"wrapS", 10497},
                                             {"wrapT", 10497}}});
        doc_["textures"].push_back({{"sampler", 0}, {"source", doc_["images"].size() - 1}});
        return doc_["textures"].size() - 1;
    }

    // The part's material, made on first use: the levels of detail share them.
    int Material(const Part& part) {
        if (const auto made = materials_.find(part.material); made != materials_.end()) return made->second;
        const std::size_t texture =
            Texture(TreeOwnName(stem_, part.material), TextureFile(stem_, part), *part.image, part.jpeg);
        Json material = {{"name", TreeOwnName(stem_, part.material)},
                         {"pbrMetallicRoughness",
                          {{"baseColorTexture", {{"index", texture}}}, {"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}}};
        if (part.normals)
            material["normalTexture"] = {
                {"index", Texture(TreeOwnName(stem_, std::string(part.material) + "Normals"), NormalsFile(stem_, part),
                                  *part.normals, false)}};
        if (std::strcmp(part.material, "Leaves") == 0) {
            // The view's alpha test keeps alpha above 0.7; both sides of a leaf show.
            material["alphaMode"] = "MASK";
            material["alphaCutoff"] = 0.7;
            material["doubleSided"] = true;
        } else if (std::strcmp(part.material, "Impostor") == 0) {
            // The pictures' alpha is 0 or 1; the planes are seen from both sides.
            material["alphaMode"] = "MASK";
            material["doubleSided"] = true;
        }
        doc_["materials"].push_back(material);
        return materials_[part.material] = static_cast<int>(doc_["materials"].size() - 1);
    }

    static constexpr int kArrayBuffer = 34962, kElementArrayBuffer = 34963;
    static constexpr int kFloat = 5126, kUnsignedByte = 5121, kUnsignedShort = 5123, kUnsignedInt = 5125;

    bool external_;
    bool windAsColour_ = false;
    std::string stem_;
    Json doc_;
    std::vector<std::string_view> pieces_;
    std::deque<std::string> owned_;  // a deque: its strings stay where they are as it grows
    std::deque<ModelArray<float>> tangents_;
    std::size_t binSize_ = 0;
    std::vector<std::pair<std::string, std::string>> imageFiles_;
    std::map<std::string, int> materials_;
};

std::string Word(std::uint32_t word) {
    std::string bytes(4, '\0');
    for (int at = 0; at < 4; ++at) bytes[at] = static_cast<char>((word >> (8 * at)) & 0xFF);
    return bytes;
}

// Writes the pieces through the open writer, each padded to 4 bytes with zeros.
void WritePadded(TGFileWriter& writer, const std::vector<std::string_view>& pieces) {
    for (std::string_view piece : pieces) {
        writer.Write(piece);
        writer.Write(std::string_view("\0\0\0", Padded(piece.size()) - piece.size()));
    }
}

// Closes the open writer, putting its file in place; error from the writer when
// that fails or the writer could not be opened.
bool PutInPlace(TGFileWriter& writer, const std::string& path, std::string& error) {
    if (writer.IsOpen() && writer.Close()) return true;
    error = writer.LastError().empty() ? path + ": cannot be written" : writer.LastError();
    return false;
}

std::uint64_t GlbBytes(std::size_t jsonSize, std::size_t binSize) {
    return 12 + 8 + Padded(jsonSize) + (binSize > 0 ? 8 + std::uint64_t{binSize} : 0);
}

}  // namespace

bool FitsGlb(std::uint64_t bytes, const std::string& path, std::string& error) {
    if (bytes <= kMaxGlbBytes) return true;
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GB", static_cast<double>(bytes) / 1e9);
    error = path + ": cannot be written: a GLB file holds at most 4.3 GB (4 GiB) and this tree needs " + size +
            "; export it as .gltf, whose .bin file has no such limit";
    return false;
}

namespace {

// The GLB container's header and the JSON chunk's header (json.size() a multiple of 4).
std::string GlbHeaders(std::size_t jsonSize, std::size_t binSize) {
    const std::size_t total = 12 + 8 + jsonSize + (binSize > 0 ? 8 + binSize : 0);
    return Word(0x46546C67) + Word(2) + Word(static_cast<std::uint32_t>(total)) +
           Word(static_cast<std::uint32_t>(jsonSize)) + Word(0x4E4F534A);  // "glTF", "JSON"
}

std::string BinHeader(std::size_t binSize) { return Word(static_cast<std::uint32_t>(binSize)) + Word(0x004E4942); }

// The GLB container through the open writer: header, the JSON chunk padded with
// spaces, the binary chunk.
void WriteGlb(TGFileWriter& writer, const GltfBuilder& builder, std::string json) {
    json.resize(Padded(json.size()), ' ');
    const std::size_t bin = builder.BinarySize();
    writer.Write(GlbHeaders(json.size(), bin));
    writer.Write(json);
    if (bin == 0) return;
    writer.Write(BinHeader(bin));
    WritePadded(writer, builder.BinaryPieces());
}

// A side file's failure (a full disk while its image was written) told as the
// export's: "tree.obj: not written: tree_bark.png: ...".
std::string NamingTheExport(const std::string& path, const std::string& error) {
    return error.compare(0, path.size() + 1, path + ":") == 0 ? error : path + ": not written: " + error;
}

// Writes the built document as a GLB at path, or as a .gltf with its buffer and images beside it.
bool WriteGltf(bool binary, const std::string& path, const GltfBuilder& builder, std::string& error) {
    std::string json = builder.Document().dump();
    if (!binary) {
        FileSet files;
        bool ok = true;
        for (const auto& [file, bytes] : builder.ImageFiles()) ok = ok && files.Add(file, bytes);
        if (ok && builder.BinarySize() > 0) {
            TGFileWriter* bin = files.Add(Stem(path) + ".bin");
            if (bin) WritePadded(*bin, builder.BinaryPieces());
            ok = bin != nullptr;
        }
        if (ok && files.Add(path, json) && files.Commit()) return true;
        error = NamingTheExport(path, files.Error());
        return false;
    }
    if (!FitsGlb(GlbBytes(json.size(), builder.BinarySize()), path, error)) return false;
    TGFileWriter writer("");
    writer.SetFileName(path);
    if (writer.Open()) WriteGlb(writer, builder, std::move(json));
    return PutInPlace(writer, path, error);
}

bool WriteGltf(bool binary, const std::string& path, const TreeModel& model, const ModelTextures& textures,
               std::string& error) {
    GltfBuilder builder(!binary, Stem(path));
    builder.Build(model, textures);
    return WriteGltf(binary, path, builder, error);
}

// A streamed GLB: the binary chunk starts at a fixed place, one page in, and the
// JSON chunk before it is padded with spaces to fill the room; the bark's four
// arrays open the binary chunk.
constexpr std::uint64_t kStreamedBinStart = 4096;
constexpr std::size_t kStreamedJsonRoom = kStreamedBinStart - 12 - 8 - 8;
// Bark arrays from this size on are streamed (smaller ones are written at once at the end).
constexpr std::size_t kStreamedBarkBytes = 8 << 20;

// ---- OBJ ----

// Numbers appended in their shortest exact form.
class Text {
public:
    explicit Text(TGFileWriter& writer) : writer_(writer) {}
    ~Text() { Flush(); }

    Text& operator<<(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() > (1 << 20)) Flush();
        return *this;
    }
    Text& operator<<(float value) { return Number(value); }
    Text& operator<<(std::size_t value) { return Number(value); }

    void Flush() {
        writer_.Write(buffer_);
        buffer_.clear();
    }

private:
    template <typename T>
    Text& Number(T value) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        buffer_.append(digits, end);
        return *this;
    }

    TGFileWriter& writer_;
    std::string buffer_;
};

// coloured: every vertex of the file gets a colour after its position (the
// common extension of the v line), white where the part has none.
void WriteObjPart(Text& out, const MeshPart& mesh, std::size_t base, bool coloured) {
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        const float* p = &mesh.positions[3 * v];
        out << "v " << p[0] << " " << p[1] << " " << p[2];
        if (coloured && mesh.colours.empty()) out << " 1 1 1";
        if (coloured && !mesh.colours.empty())
            for (int c = 0; c < 3; ++c) out << " " << mesh.colours[4 * v + c] / 255.0f;
        out << "\n";
    }
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v)
        out << "vt " << mesh.uvs[2 * v] << " " << 1.0f - mesh.uvs[2 * v + 1] << "\n";  // GL's v
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        const float* n = &mesh.normals[3 * v];
        out << "vn " << n[0] << " " << n[1] << " " << n[2] << "\n";
    }
    for (std::size_t at = 0; at < mesh.indices.size(); at += 3) {
        out << "f";
        for (int corner = 0; corner < 3; ++corner) {
            const std::size_t index = base + mesh.indices[at + corner] + 1;
            out << " " << index << "/" << index << "/" << index;
        }
        out << "\n";
    }
}

bool WriteObj(const std::string& path, const TreeModel& model, const ModelTextures& textures, std::string& error) {
    const std::string stem = Stem(path);
    const auto nodes = Nodes(model, textures);
    FileSet files;
    std::string mtl = std::string("# ") + kProgramVersion + "\n";
    bool ok = true;
    for (const auto& node : nodes)
        for (const Part& part : node) {
            const std::string file = TextureFile(stem, part);
            ok = ok && files.Add(file, *part.image);
            mtl += "\nnewmtl " + TreeOwnName(stem, part.material) + "\nKa 1 1 1\nKd 1 1 1\nKs 0 0 0\nillum 1\nmap_Kd " +
                   BaseName(file) + "\n";
            if (part.normals) {
                // three.js's loader and assimp read the normal map from "norm"
                // and take "map_Bump" for a height map; Blender's importer reads
                // only "map_Bump", as a normal map. So the "map_Bump" line starts
                // with a vertical tab and parts its file name with a tab: assimp
                // skips a line it cannot dispatch, three.js splits a line at its
                // first space only, and Blender takes both as white space.
                const std::string normals = NormalsFile(stem, part);
                ok = ok && files.Add(normals, *part.normals);
                mtl += "norm " + BaseName(normals) + "\n\vmap_Bump\t" + BaseName(normals) + "\n";
            }
            // Readers that know alpha cut the leaf shapes out with it.
            if (std::strcmp(part.material, "Leaves") == 0) mtl += "map_d " + BaseName(file) + "\n";
        }
    ok = ok && files.Add(stem + ".mtl", mtl);
    TGFileWriter* writer = ok ? files.Add(path) : nullptr;
    if (writer) {
        // Flushed when it ends, before the set is committed (which lets go of the writer).
        Text out(*writer);
        out << "# " << kProgramVersion << "\nmtllib " << BaseName(stem) << ".mtl\n";
        std::size_t base = 0;
        const bool coloured = !model.leaves.colours.empty();
        for (int n = 0; n < 2; ++n) {
            if (nodes[n].empty()) continue;
            out << "o " << kNodeNames[n] << "\ng " << kNodeNames[n] << "\n";
            for (const Part& part : nodes[n]) {
                out << "usemtl " << TreeOwnName(stem, part.material) << "\n";
                WriteObjPart(out, *part.mesh, base, coloured);
                base += part.mesh->VertexCount();
            }
        }
    }
    if (writer && files.Commit()) return true;
    error = NamingTheExport(path, files.Error());
    return false;
}

}  // namespace

GlbStream::GlbStream(const std::string& path) : writer_(""), path_(path) { writer_.SetFileName(path); }

bool GlbStream::Open(std::string& error) {
    if (writer_.Open()) return true;
    error = writer_.LastError().empty() ? path_ + ": cannot be written" : writer_.LastError();
    return false;
}

void GlbStream::BarkReady(const MeshPart& bark, std::size_t firstVertex, std::size_t endVertex,
                          std::size_t firstIndex, std::size_t endIndex) {
    if (bark.positions.size() * sizeof(float) < kStreamedBarkBytes) return;
    // A bark beyond what a GLB can hold is not sent: Finish refuses the file.
    const std::uint64_t barkBytes = (bark.positions.size() + bark.normals.size() + bark.uvs.size()) * sizeof(float) +
                                    bark.indices.size() * sizeof(std::uint32_t);
    if (barkBytes > kMaxGlbBytes) return;
    streamed_ = true;
    // The arrays in the order of the document's buffer views, each right after the other.
    std::uint64_t base = kStreamedBinStart;
    auto send = [&](const auto& array, std::size_t perElement, std::size_t first, std::size_t end) {
        using Element = typename std::decay_t<decltype(array)>::value_type;
        const char* data = reinterpret_cast<const char*>(array.data());
        const std::size_t from = first * perElement * sizeof(Element), to = end * perElement * sizeof(Element);
        writer_.WriteAt(base + from, std::string_view(data + from, to - from));
        base += array.size() * sizeof(Element);
    };
    send(bark.positions, 3, firstVertex, endVertex);
    send(bark.normals, 3, firstVertex, endVertex);
    send(bark.uvs, 2, firstVertex, endVertex);
    send(bark.indices, 1, firstIndex, endIndex);
}

bool GlbStream::Finish(const TreeModel& model, const ModelTextures& textures, std::string& error) {
    GltfBuilder builder(false, Stem(path_));
    builder.Build(model, textures);
    std::string json = builder.Document().dump();
    const std::vector<std::string_view>& pieces = builder.BinaryPieces();
    const std::size_t streamedJson = std::max(json.size(), kStreamedJsonRoom);
    if (!FitsGlb(GlbBytes(streamed_ ? streamedJson : json.size(), builder.BinarySize()), path_, error)) {
        writer_.Abort();
        return false;
    }
    if (streamed_) {
        const MeshPart& bark = model.bark;
        const void* streamedArrays[4] = {bark.positions.data(), bark.normals.data(), bark.uvs.data(),
                                         bark.indices.data()};
        bool barkFirst = pieces.size() >= 4;
        for (int i = 0; barkFirst && i < 4; ++i) barkFirst = pieces[i].data() == streamedArrays[i];
        if (barkFirst && json.size() <= kStreamedJsonRoom) {
            json.resize(kStreamedJsonRoom, ' ');
            const std::size_t bin = builder.BinarySize();
            writer_.WriteAt(0, GlbHeaders(json.size(), bin) + json + BinHeader(bin));
            std::uint64_t offset = kStreamedBinStart;
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (i >= 4) {
                    std::string padded(pieces[i]);
                    padded.resize(Padded(padded.size()), '\0');
                    writer_.WriteAt(offset, padded);
                }
                offset += Padded(pieces[i].size());
            }
            return PutInPlace(writer_, path_, error);
        }
        // The document outgrew its room: the file is written again, in one go.
        writer_.Abort();
        if (!Open(error)) return false;
    }
    WriteGlb(writer_, builder, std::move(json));
    return PutInPlace(writer_, path_, error);
}

void GlbStream::Abort() { writer_.Abort(); }

const std::string& ModelTextures::Encoded(const PixelImage& texture) const {
    std::string& encoded = encoded_[Slot(texture)];
    if (encoded.empty()) encoded = EncodePng(texture);
    return encoded;
}

void ModelTextures::KeepFile(const PixelImage& texture, const std::string& bytes) {
    const bool png = bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0;
    const bool jpeg = bytes.compare(0, 3, "\xff\xd8\xff", 3) == 0;
    if (!png && !jpeg) return;
    encoded_[Slot(texture)] = bytes;
    jpeg_[Slot(texture)] = jpeg;
}

ModelTextures BuiltinModelTextures(ProceduralTextures::Choice choice) {
    auto set = ProceduralTextures::DrawBuiltinSet();
    ModelTextures textures(std::move(set[choice.Bark()]), std::move(set[ProceduralTextures::kStump1]),
                           std::move(set[choice.Leaves()]));
    if (const int painted = choice.PaintedBark(); painted >= 0) {
        textures.bark = PaintedTextures::BarkImage(painted);
        textures.barkNormals = PaintedTextures::BarkNormals(painted);
    }
    if (const int painted = choice.PaintedLeaves(); painted >= 0) textures.leaves = PaintedTextures::LeafImage(painted);
    return textures;
}

bool WriteLevelsOfDetail(bool binary, const std::string& path, const LevelsOfDetailModel& levels,
                         const ModelTextures& textures, std::string& error) {
    GltfBuilder builder(!binary, Stem(path));
    builder.BuildLevels(levels, textures);
    return WriteGltf(binary, path, builder, error);
}

bool WriteModel(ModelFormat format, const std::string& path, const TreeModel& model, const ModelTextures& textures,
                std::string& error) {
    if (format == ModelFormat::OBJ) return WriteObj(path, model, textures, error);
    return WriteGltf(format == ModelFormat::GLB, path, model, textures, error);
}

}  // namespace grovewright
