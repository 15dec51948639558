#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "generators/BranchTreeModel.h"
#include "generators/LeafGenerator.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "render/TreeViewParameters.h"

namespace grovewright {
class TGXMLFileReader;
class TGXMLFileWriter;
}  // namespace grovewright

namespace grovewright::test {

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
// "size:hash" of the bytes (FNV-1a, 64 bits): pins bytes that must not change.
std::string Digest(const std::string& bytes);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> SplitLines(const std::string& text);
// Names of the entries of a folder, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path);

// The project file that write produces between the envelope lines.
std::string WrittenProject(const std::function<void(grovewright::TGXMLFileWriter&)>& write);
// Opens a project reader over text, hands it to read and returns read's result;
// checks that the reader was left rewound.
bool ReadProject(const std::string& text, const std::function<bool(grovewright::TGXMLFileReader&)>& read);

// A design grown as the program grows it: the generator's tree, the view
// values it pushes and the leaves on it.
struct GrownDesign {
    GrownDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leafPages);
    SkeletonLevels skeleton;
    LeafStore leaves;
    TreeViewParameters view;
};

// A project of examples/ loaded as the command line loads it and grown by the
// generator its name ends with, with its leaves.
struct GrownExample {
    explicit GrownExample(const std::string& file);
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leafPages;
    TreeGeneratorModel* tree;  // the one the name says, which grew grown
    std::unique_ptr<GrownDesign> grown;
};

// The design written with its leaves as a DirectX text mesh (with the cap mesh)
// and as DXF, through the real writers; the two files' texts.
struct ExportedTexts {
    std::string directX, dxf;
};
ExportedTexts ExportWithLeaves(const GrownDesign& design);

// A regular or complex generator model.
std::unique_ptr<BranchTreeModel> MakeBranchModel(bool complex);

}  // namespace grovewright::test
