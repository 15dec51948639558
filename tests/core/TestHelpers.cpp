#include "TestHelpers.h"

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "generators/ProjectLoader.h"
#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

namespace grovewright::test {

using grovewright::TGXMLFileReader;
using grovewright::TGXMLFileWriter;

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "grovewright-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string WrittenProject(const std::function<void(TGXMLFileWriter&)>& write) {
    TempFolder folder;
    TGXMLFileWriter writer;
    writer.SetFileName(folder.File("project.xml"));
    EXPECT_TRUE(writer.Open());
    write(writer);
    EXPECT_TRUE(writer.Close());
    return ReadFileBytes(folder.File("project.xml"));
}

bool ReadProject(const std::string& text, const std::function<bool(TGXMLFileReader&)>& read) {
    TempFolder folder;
    WriteFileBytes(folder.File("project.xml"), text);
    TGXMLFileReader reader;
    reader.SetFileName(folder.File("project.xml"));
    EXPECT_TRUE(reader.Open());
    const bool result = read(reader);
    EXPECT_EQ(reader.WorkingText(), reader.Content());  // always left rewound
    return result;
}

std::string Digest(const std::string& bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    char text[40];
    std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(), static_cast<unsigned long long>(hash));
    return text;
}

GrownDesign::GrownDesign(const TreeGeneratorModel& tree, const LeafGeneratorModel& leafPages) {
    tree.Rebuild(skeleton);
    view.Take(tree.Base());
    leafPages.Generate(skeleton, leaves, LeafGeneratorModel::Seed(tree.Growth().Seed(), tree.Index()));
}

GrownExample::GrownExample(const std::string& file) {
    TGXMLFileReader reader;
    std::string error;
    EXPECT_TRUE(LoadProject(reader, std::string(GROVEWRIGHT_EXAMPLES) + "/" + file, {&simple, &regular, &complex},
                            error, &leafPages))
        << error;
    const std::string generator = GeneratorNamedBy(file);
    tree = generator == "regular"   ? static_cast<TreeGeneratorModel*>(&regular)
           : generator == "complex" ? static_cast<TreeGeneratorModel*>(&complex)
                                    : &simple;
    grown = std::make_unique<GrownDesign>(*tree, leafPages);
}

std::unique_ptr<BranchTreeModel> MakeBranchModel(bool complex) {
    if (complex) return std::make_unique<ComplexTreeModel>();
    return std::make_unique<RegularTreeModel>();
}

ExportedTexts ExportWithLeaves(const GrownDesign& design) {
    MeshBuilder builder(design.skeleton, design.leaves, design.view);
    TempFolder folder;
    TGDirectXFileWriter directX;
    directX.SetFileName(folder.File("design.x"));
    EXPECT_TRUE(directX.Open());
    ExportDirectXPass(directX, builder, true, true);
    EXPECT_TRUE(directX.Close());
    TGDXFFileWriter dxf;
    dxf.SetFileName(folder.File("design.dxf"));
    EXPECT_TRUE(dxf.Open());
    ExportDXFPass(dxf, builder, true);
    EXPECT_TRUE(dxf.Close());
    return {ReadFileBytes(folder.File("design.x")), ReadFileBytes(folder.File("design.dxf"))};
}

}  // namespace grovewright::test
