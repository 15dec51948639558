// The design's texture choice: saved in DesignView with paths relative to the
// project, read back wherever the project and its images moved, undone and
// redone like any edit.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestHelpers.h"
#include "generators/TreeDesign.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;

namespace {

// Writes the design as the program saves it, to path.
std::string Save(const TreeDesign& design, const std::string& path) {
    TGXMLFileWriter writer;
    writer.SetFileName(path);
    EXPECT_TRUE(writer.Open());
    design.WriteSections(writer);
    EXPECT_TRUE(writer.Close()) << writer.LastError();
    return test::ReadFileBytes(path);
}

bool Load(TreeDesign& design, const std::string& path, std::vector<std::string>* kept = nullptr) {
    TGXMLFileReader reader;
    std::string error;
    std::vector<std::string> ignored;
    const bool loaded = design.Load(reader, path, error, kept ? kept : &ignored);
    EXPECT_TRUE(loaded) << error;
    return loaded;
}

}  // namespace

TEST(TextureChoice, IsSavedRelativeToTheProjectAndFollowsAMovedFolder) {
    test::TempFolder folder;
    namespace fs = std::filesystem;
    fs::create_directories(folder.File("trees/images"));
    TreeDesign design;
    TextureChoice choice;
    choice.builtIn[TextureChoice::kBark] = 1;
    choice.image[TextureChoice::kLeaves] = folder.File("trees/images/leaf.png");
    choice.image[TextureChoice::kSky] = folder.File("sky <dawn> & dusk\n.jpg");
    design.ChooseTextures(choice);
    const std::string text = Save(design, folder.File("trees/oak.xml"));
    const std::string view =
        "   <DesignView>\n      <ShownGenerator>0</ShownGenerator>\n      <BarkTexture>1</BarkTexture>\n"
        "      <FoliageImage>images/leaf.png</FoliageImage>\n"
        "      <SkyImage>../sky &lt;dawn&gt; &amp; dusk&#10;.jpg</SkyImage>\n   </DesignView>\n";
    EXPECT_EQ(text.find(view), text.find("</Grovewright_Setup>") - view.size()) << text;

    TreeDesign loaded;
    ASSERT_TRUE(Load(loaded, folder.File("trees/oak.xml")));
    EXPECT_EQ(loaded.Textures(), choice);
    EXPECT_EQ(Save(loaded, folder.File("trees/again.xml")), text);

    // The folder moved with its images: the paths follow it.
    fs::rename(folder.File("trees"), folder.File("moved"));
    ASSERT_TRUE(Load(loaded, folder.File("moved/oak.xml")));
    EXPECT_EQ(loaded.Textures().image[TextureChoice::kLeaves], folder.File("moved/images/leaf.png"));
    // Saved elsewhere, the path is relative to the new place.
    fs::create_directories(folder.File("moved/deeper"));
    EXPECT_NE(Save(loaded, folder.File("moved/deeper/oak.xml")).find("<FoliageImage>../images/leaf.png<"),
              std::string::npos);
}

TEST(TextureChoice, MissingValuesKeepTheirDefaultsAndABadNumberRefusesTheElement) {
    test::TempFolder folder;
    const std::string head = test::ReadFileBytes(std::string(GROVEWRIGHT_EXAMPLES) + "/sapling.simple.xml");
    const std::size_t end = head.find("</Grovewright_Setup>");
    ASSERT_NE(end, std::string::npos);
    auto withView = [&](const std::string& name, const std::string& inner) {
        std::string text = head;
        text.insert(end, "   <DesignView>\n" + inner + "   </DesignView>\n");
        test::WriteFileBytes(folder.File(name), text);
        return folder.File(name);
    };
    TreeDesign design;
    design.SetActiveGenerator(TreeDesign::kRegular);
    // No ShownGenerator: a simple design, shown on the simple generator; only the stump's image is named.
    ASSERT_TRUE(Load(design, withView("stump.xml", "      <StumpImage>/abs/cut.tga</StumpImage>\n")));
    EXPECT_EQ(design.ActiveGenerator(), TreeDesign::kSimple);
    TextureChoice expected;
    expected.image[TextureChoice::kStump] = "/abs/cut.tga";
    EXPECT_EQ(design.Textures(), expected);

    design.SetActiveGenerator(TreeDesign::kRegular);

    for (const char* bad : {"<GroundTexture>4</GroundTexture>", "<FoliageTexture>-1</FoliageTexture>",
                            "<ShownGenerator>-3</ShownGenerator>"}) {
        SCOPED_TRACE(bad);
        std::vector<std::string> kept;
        ASSERT_TRUE(Load(design, withView("bad.xml", std::string("      <SkyTexture>1</SkyTexture>\n      ") + bad +
                                                         "\n      <ShownGenerator>2</ShownGenerator>\n"),
                         &kept));
        EXPECT_EQ(kept, std::vector<std::string>{"DesignView"});
        // Nothing of the element was taken: neither the sky nor the generator.
        EXPECT_EQ(design.Textures(), expected);
        EXPECT_EQ(design.ActiveGenerator(), TreeDesign::kRegular);
    }
    // A file without the element shows the built-in textures.
    ASSERT_TRUE(Load(design, std::string(GROVEWRIGHT_EXAMPLES) + "/small-tree.xml"));
    EXPECT_TRUE(design.Textures().IsDefault());
}

TEST(TextureChoice, IsAnEditOfItsOwnThatUndoRedoAndNewProjectsKnow) {
    TreeDesign design;
    std::vector<DesignChange> changes;
    design.AddObserver([&](const DesignChange& change) { changes.push_back(change); });
    TextureChoice choice;
    choice.builtIn[TextureChoice::kGround] = 3;
    design.ChooseTextures(choice);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].texturesChanged);
    EXPECT_FALSE(changes[0].valuesChanged);
    EXPECT_TRUE(design.IsModified());
    design.ChooseTextures(choice);  // the same again is no step
    EXPECT_EQ(changes.size(), 1u);

    ASSERT_TRUE(design.Undo());
    EXPECT_TRUE(design.Textures().IsDefault());
    EXPECT_TRUE(changes.back().texturesChanged);
    EXPECT_FALSE(design.IsModified());
    ASSERT_TRUE(design.Redo());
    EXPECT_EQ(design.Textures(), choice);

    // Reset All changes the tree, not the textures; a new project starts from the built-in ones.
    design.ResetAll();
    EXPECT_EQ(design.Textures(), choice);
    design.NewDocument();
    EXPECT_TRUE(design.Textures().IsDefault());
    EXPECT_TRUE(changes.back().texturesChanged);
    ASSERT_TRUE(design.Undo());
    EXPECT_EQ(design.Textures(), choice);
}

TEST(TextureChoice, MarkupEscapesRoundTripAndLeaveStrangeEntitiesAsTheyStand) {
    for (const std::string text : {"a&b<c>d", "tab\there\nline", "&amp; as text", "", "&&&;;"})
        EXPECT_EQ(UnescapeMarkup(EscapeMarkup(text)), text) << text;
    EXPECT_EQ(UnescapeMarkup("&foo; & &#65; &#9; &#99999999999; &amp"), "&foo; & &#65; \t &#99999999999; &amp");
}

TEST(TextureChoice, ImagesOutsideTheProjectsFolderAreNamed) {
    TextureChoice choice;
    choice.image[TextureChoice::kBark] = "/home/ann/trees/bark.png";          // beside the project
    choice.image[TextureChoice::kLeaves] = "/home/ann/trees/leaves/oak.png";  // in a folder of its own
    choice.image[TextureChoice::kGround] = "/home/ann/trees/../.ssh/id.png";  // climbs out
    choice.image[TextureChoice::kSky] = "/etc/sky.png";
    EXPECT_EQ(ImagesOutsideFolder(choice, "/home/ann/trees/oak.xml"),
              (std::vector<std::string>{"/home/ann/trees/../.ssh/id.png", "/etc/sky.png"}));
    EXPECT_TRUE(ImagesOutsideFolder(TextureChoice(), "/home/ann/trees/oak.xml").empty());
    // A folder whose name merely starts like the project's is another folder.
    choice = TextureChoice();
    choice.image[TextureChoice::kStump] = "/home/ann/trees2/cut.png";
    EXPECT_EQ(ImagesOutsideFolder(choice, "/home/ann/trees/oak.xml").size(), 1u);
}
