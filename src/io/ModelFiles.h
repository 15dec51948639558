#pragma once

#include <string>

#include "render/ModelSink.h"
#include "render/PixelImage.h"
#include "render/ProceduralTextures.h"

namespace grovewright {

// The textures a model file carries: the bark of the sides, the stump of the
// cut caps and the leaves (RGBA: the leaf shape is its alpha).
struct ModelTextures {
    PixelImage bark;
    PixelImage stump;
    PixelImage leaves;
};

// The built-in textures the choice names, with Stump1; the default choice gives
// what a design shows before the user picks others: Trunc1, Stump1, Leaves1.
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

}  // namespace grovewright
