#pragma once

#include <string>
#include <vector>

#include "generators/TextureChoice.h"

namespace grovewright {

class LeafGeneratorModel;
class TGXMLFileReader;
class TGXMLFileWriter;
class TreeGeneratorModel;

// Loads a project file into the tree generators, in list order, as the Load
// command does: the first generator's section must read, or nothing changes;
// every further generator takes its section when that reads and otherwise keeps
// its values; then the leaf pages present in the file (when leaves is given).
// On failure error names the file and the problem. keptPrevious, when given,
// receives one line for every part that kept its previous settings because its
// section is missing or invalid ("RegularGrovewright", "LeafCreator: Leaf 3, Leaf 7").
// "path: no valid Name section (missing, incomplete or with a value out of range)".
std::string NoValidSection(const std::string& path, const std::string& generatorName);

// The generator a project's file name ends with, without regard to case:
// "spruce.complex.xml" gives "complex" ("simple", "regular", "complex"); any
// other name gives "simple".
std::string GeneratorNamedBy(const std::string& path);

// What a project's DesignView element says about how the design is shown.
struct DesignViewValues {
    // The generator shown (0 simple, 1 regular, 2 complex); -1 when the file does not say.
    int shownGenerator = -1;
    // The textures; the defaults when the file has no DesignView element.
    TextureChoice textures;
    // False when the element has a value out of range: it was not read at all,
    // and "DesignView" is among the kept parts.
    bool read = true;
};

// view, when given, receives what the file's DesignView element says.
bool LoadProject(TGXMLFileReader& reader, const std::string& path,
                 const std::vector<TreeGeneratorModel*>& generators, std::string& error,
                 LeafGeneratorModel* leaves = nullptr, std::vector<std::string>* keptPrevious = nullptr,
                 DesignViewValues* view = nullptr);

// The element after the leaf section that keeps which generator the design
// shows and its textures; written only when either differs from the default,
// so that a simple design with the built-in textures is saved as it always was.
void WriteDesignView(TGXMLFileWriter& writer, int shownGenerator, const TextureChoice& textures);

}  // namespace grovewright
