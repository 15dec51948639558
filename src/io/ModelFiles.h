#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "io/TGFileWriter.h"
#include "render/ModelSink.h"
#include "render/PixelImage.h"
#include "render/ProceduralTextures.h"

namespace grovewright {

// The textures a model file carries: the bark of the sides, the stump of the
// cut caps and the leaves (RGBA: the leaf shape is its alpha).
struct ModelTextures {
    ModelTextures() = default;
    ModelTextures(PixelImage barkImage, PixelImage stumpImage, PixelImage leafImage)
        : bark(std::move(barkImage)), stump(std::move(stumpImage)), leaves(std::move(leafImage)) {}

    PixelImage bark;
    PixelImage stump;
    PixelImage leaves;
    // The bark's relief as a normal map (RGB); empty when the bark has none.
    PixelImage barkNormals;

    // One of the three images above as a model file stores it: the bytes of the
    // PNG or JPEG file it was read from (KeepFile), else PNG bytes encoded when
    // first asked for, so that several models written from these textures encode
    // each only once. The images must not change afterwards.
    const std::string& Encoded(const PixelImage& texture) const;
    // Whether Encoded gives a JPEG's bytes (else a PNG's).
    bool IsJpeg(const PixelImage& texture) const { return jpeg_[Slot(texture)]; }
    // The texture was read from a file with these bytes: models store them as
    // they are when they are a PNG's or a JPEG's (other files change nothing).
    void KeepFile(const PixelImage& texture, const std::string& bytes);

private:
    int Slot(const PixelImage& texture) const {
        return &texture == &bark ? 0 : &texture == &stump ? 1 : &texture == &leaves ? 2 : 3;
    }

    mutable std::string encoded_[4];
    bool jpeg_[4] = {false, false, false, false};
};


// The built-in textures the choice names, with Stump1 (and a painted bark's
// normal map); the default choice gives what a design shows before the user
// picks others: Trunc1, Stump1, Leaves1.
ModelTextures BuiltinModelTextures(ProceduralTextures::Choice choice = {});

enum class ModelFormat { GLB, GLTF, OBJ };

// Writes the model with its textures as PNG images:
// - GLB: one binary glTF 2.0 file, images inside;
// - GLTF: the JSON file at path, NAME.bin and NAME_bark.png etc. beside it;
// - OBJ: the OBJ file at path, NAME.mtl and NAME_bark.png etc. beside it.
// Nodes (groups) "Tree" (bark and caps) and "Leaves"; empty parts are left out.
// Every file goes through the safe writer. False, with one line naming the file
// and the problem, when one cannot be written.
bool WriteModel(ModelFormat format, const std::string& path, const TreeModel& model, const ModelTextures& textures,
                std::string& error);

// A GLB's header holds the file's length in 32 bits.
constexpr std::uint64_t kMaxGlbBytes = 0xFFFFFFFFu;
// False with one line in error, naming path and the size, when a GLB of this
// many bytes would pass 4 GiB.
bool FitsGlb(std::uint64_t bytes, const std::string& path, std::string& error);

// A tree's levels of detail in one glTF: the meshes of each level, the
// impostor (a cross of planes textured from a picture atlas; empty: none) and
// the screen coverage (0 .. 1) from which each level is shown, one per level
// the impostor included.
struct LevelsOfDetailModel {
    // How the levels stand in the file.
    enum class Layout {
        // Only "Tree_LOD0" in the scene, under "Tree"; it names the other levels,
        // which no node holds, with MSFT_lod, as that extension lays them out:
        // loaders that know it switch the levels by themselves.
        MsftLod,
        // "Tree_LOD0", "Tree_LOD1", ... side by side under "Tree", no extension:
        // for pipelines that group levels by their names.
        Names,
    };
    std::vector<TreeModel> levels;
    MeshPart impostor;
    std::string impostorImage;  // PNG bytes
    // The share of the view's area that the tree's bounding sphere covers, from
    // which each level is shown: the area of the sphere's disc projected onto the
    // view over the view's area (Babylon.js's measure of screen coverage).
    std::vector<double> coverages;
    Layout layout = Layout::MsftLod;
};
// Writes them as a GLB (binary) or as a .gltf with its files beside it, in the
// model's layout, the coverages and their measure in the extras of "Tree";
// false with one line when a file cannot be written.
bool WriteLevelsOfDetail(bool binary, const std::string& path, const LevelsOfDetailModel& levels,
                         const ModelTextures& textures, std::string& error);

// A GLB written while its model is built: once the bark is large (8 MB of
// positions), its strips go to the file as the mesh builder completes them, so
// the disk writes while the rest of the tree is made; the rest follows when the
// model is complete. The bytes are WriteModel's GLB, except that a streamed
// file's JSON chunk is padded with spaces to a fixed room before the binary chunk.
class GlbStream {
public:
    explicit GlbStream(const std::string& path);
    // Creates the temporary file; false with error set when it cannot be.
    bool Open(std::string& error);
    // For ModelSink::OnBarkReady; several threads may call it at once.
    void BarkReady(const MeshPart& bark, std::size_t firstVertex, std::size_t endVertex, std::size_t firstIndex,
                   std::size_t endIndex);
    // Writes the rest of the complete model and puts the file in place; false
    // with error set when anything failed (the file that was there stays).
    bool Finish(const TreeModel& model, const ModelTextures& textures, std::string& error);
    // Removes the unfinished file (a cancelled build).
    void Abort();

private:
    TGFileWriter writer_;
    std::string path_;
    std::atomic<bool> streamed_{false};
};

}  // namespace grovewright
