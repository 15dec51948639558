#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "TestHelpers.h"
#include "generators/BranchTreeModel.h"
#include "generators/LeafGenerator.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::SplitLines;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;
using B = BranchSetup;

namespace {

std::string Saved(const TreeGeneratorModel& model) {
    return grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { model.WriteSetup(writer); });
}

bool Read(TreeGeneratorModel& model, const std::string& text) {
    return grovewright::test::ReadProject(text, [&](TGXMLFileReader& reader) { return model.ReadSetup(reader); });
}

// Removes the first line that contains text (and its line end).
std::string WithoutLine(std::string text, const std::string& line, int occurrence = 1) {
    std::string::size_type at = 0;
    for (int i = 0; i < occurrence; ++i) at = text.find(line, i ? at + 1 : 0);
    const auto start = text.rfind('\n', at) + 1;
    text.erase(start, text.find('\n', at) + 1 - start);
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

void RandomPages(BranchTreeModel& model, unsigned seed) {
    std::mt19937 random(seed);
    for (int level = 0; level < BranchTreeModel::kLevelCount; ++level) {
        B& page = model.Page(level);
        for (int v = 0; v < B::kValueCount; ++v) {
            const auto range = B::kParameters[v].range;
            page.Set(static_cast<B::Value>(v), range.min + static_cast<int>(random() % (range.max - range.min + 1)));
        }
        // The regular generator has only UseBranch and Cut.
        const int flags = model.IsComplex() ? B::kFlagCount : 2;
        for (int f = 0; f < flags; ++f) page.Set(static_cast<B::Flag>(f), random() % 2 == 1);
    }
    model.Base().SetIteration(static_cast<int>(random() % 21));
    model.Base().SetDiameter(77);
}

// The direction rule, rotation by rotation.
Vector3D ExpectedEnd(const BranchSegment& parent, double relative, double length, double add, double turn) {
    Vector3D v(length, 0, 0);
    v.RotateZ(add).RotateX(turn).RotateZ(90 - parent.ObliqueAngle()).RotateY(-parent.OrientationAngle());
    Vector3D a = parent.End();
    a.Subtract(parent.Start()).Scale(relative).Add(parent.Start());
    return v.Add(a);
}

void Grow(TreeGeneratorModel& model, SkeletonLevels& skeleton) { model.Rebuild(skeleton); }

}  // namespace

TEST(BranchSection, RoundTripRestoresAllTwentyLevelsOfBothGenerators) {
    RegularTreeModel regular;
    ComplexTreeModel complex;
    RandomPages(regular, 1);
    RandomPages(complex, 2);
    for (BranchTreeModel* saved : std::vector<BranchTreeModel*>{&regular, &complex}) {
        std::unique_ptr<BranchTreeModel> loaded;
        if (saved->IsComplex())
            loaded = std::make_unique<ComplexTreeModel>();
        else
            loaded = std::make_unique<RegularTreeModel>();
        ASSERT_TRUE(Read(*loaded, Saved(*saved))) << saved->GetName();
        EXPECT_NE(loaded->Page(4), saved->Page(4));  // nothing applied yet
        loaded->ApplySetup();
        for (int level = 0; level < BranchTreeModel::kLevelCount; ++level)
            EXPECT_EQ(loaded->Page(level), saved->Page(level)) << saved->GetName() << " level " << level + 1;
        EXPECT_EQ(loaded->Base(), saved->Base());
    }
}

TEST(BranchSection, WritesTheDocumentedLinesPerLevel) {
    RegularTreeModel regular;
    const auto lines = SplitLines(Saved(regular));
    const auto first = std::find(lines.begin(), lines.end(), "         <BranchSetup1>");
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(std::vector<std::string>(first, first + 12),
              (std::vector<std::string>{"         <BranchSetup1>", "            <Height>0</Height>",
                                        "            <HeightReduction>100</HeightReduction>",
                                        "            <RelativAdd>100</RelativAdd>", "            <AddFrom>0</AddFrom>",
                                        "            <AddTo>20</AddTo>", "            <AddAngle>0</AddAngle>",
                                        "            <OriAngle>0</OriAngle>", "            <UseBranch>0</UseBranch>",
                                        "            <Diameter>1</Diameter>", "            <Cut>0</Cut>",
                                        "         </BranchSetup1>"}));
    EXPECT_EQ(lines[4 + 12], "      <CustomSetup>");  // after the BaseSetup block
    ComplexTreeModel complex;
    const auto complexLines = SplitLines(Saved(complex));
    const auto block = std::find(complexLines.begin(), complexLines.end(), "         <BranchSetup20>");
    ASSERT_NE(block, complexLines.end());
    EXPECT_EQ(*(block + 8), "            <OnlyTrunc>1</OnlyTrunc>");
    EXPECT_EQ(*(block + 9), "            <TruncBranches>0</TruncBranches>");
    EXPECT_EQ(*(block + 10), "            <UseTwist>0</UseTwist>");
    EXPECT_EQ(*(block + 14), "         </BranchSetup20>");
    EXPECT_EQ(complexLines.size(), 3u + 1 + 12 + 1 + 20 * 15 + 1 + 1 + 1);
}

TEST(BranchSection, MissingValuesFollowTheirRules) {
    RegularTreeModel saved;
    saved.Base().SetDiameter(55);
    saved.Page(0).Set(B::kAddAngle, 40);
    const std::string text = Saved(saved);
    {
        RegularTreeModel model;  // no Diameter in level 1: the BaseSetup diameter, still a success
        ASSERT_TRUE(Read(model, WithoutLine(text, "<Diameter>1</Diameter>")));
        EXPECT_EQ(model.LoadedPage(0).Get(B::kDiameter), 55);
        EXPECT_EQ(model.LoadedPage(1).Get(B::kDiameter), 1);
    }
    {
        RegularTreeModel model;  // missing flags read -1: set
        ASSERT_TRUE(Read(model, WithoutLine(WithoutLine(text, "<UseBranch>"), "<Cut>0</Cut>", 2)));
        EXPECT_TRUE(model.LoadedPage(0).Get(B::kUseBranch));
        EXPECT_TRUE(model.LoadedPage(0).Get(B::kCut));
        EXPECT_FALSE(model.LoadedPage(1).Get(B::kCut));
    }
    {
        RegularTreeModel model;  // a missing AddAngle is -1, inside its range
        ASSERT_TRUE(Read(model, WithoutLine(text, "<AddAngle>40</AddAngle>")));
        EXPECT_EQ(model.LoadedPage(0).Get(B::kAddAngle), -1);
    }
    // The element search is by prefix: a missing Height lands inside HeightReduction's
    // tags, whose text "eduction>100" converts to 0, a valid height.
    {
        RegularTreeModel model;
        model.Page(0).Set(B::kHeight, 0);
        const std::string withHeight = Replaced(text, "            <Height>0</Height>", "            <Height>77</Height>");
        ASSERT_TRUE(Read(model, withHeight));
        EXPECT_EQ(model.LoadedPage(0).Get(B::kHeight), 77);
        RegularTreeModel missing;
        ASSERT_TRUE(Read(missing, WithoutLine(withHeight, "            <Height>77</Height>")));
        EXPECT_EQ(missing.LoadedPage(0).Get(B::kHeight), 0);
    }
    for (const char* line : {"            <HeightReduction>", "<RelativAdd>", "<AddFrom>", "<AddTo>", "<OriAngle>"}) {
        RegularTreeModel model;  // refused, but the reading goes on
        model.Page(5).Set(B::kHeight, 0);
        std::string damaged = WithoutLine(text, line);
        damaged = Replaced(damaged, "<BranchSetup6>\n            <Height>0<", "<BranchSetup6>\n            <Height>321<");
        EXPECT_FALSE(Read(model, damaged)) << line;
        EXPECT_EQ(model.LoadedPage(5).Get(B::kHeight), 321) << line;
        EXPECT_EQ(model.LoadedPage(0).Get(B::kAddAngle), 40) << line;
    }
}

TEST(BranchSection, DiameterLimitsAndMissingLevels) {
    RegularTreeModel saved;
    const std::string text = Saved(saved);
    auto diameter = [&](const char* value) {
        RegularTreeModel model;
        const bool read = Read(model, Replaced(text, "            <Diameter>1</Diameter>",
                                               std::string("            <Diameter>") + value + "</Diameter>"));
        return std::make_pair(read, model.LoadedPage(0).Get(B::kDiameter));
    };
    EXPECT_EQ(diameter("0"), std::make_pair(false, 1));
    EXPECT_EQ(diameter("200"), std::make_pair(true, 200));
    EXPECT_EQ(diameter("201"), std::make_pair(false, 1));

    // Nineteen levels: false after levels 1 to 19 were read.
    std::string nineteen = text;
    const auto start = nineteen.find("         <BranchSetup20>");
    nineteen.erase(start, nineteen.find("</BranchSetup20>") + 17 - start);
    nineteen = Replaced(nineteen, "<BranchSetup19>\n            <Height>0<", "<BranchSetup19>\n            <Height>19<");
    RegularTreeModel model;
    EXPECT_FALSE(Read(model, nineteen));
    EXPECT_EQ(model.LoadedPage(18).Get(B::kHeight), 19);

    // The complex generator does not read the regular generator's section.
    ComplexTreeModel complex;
    EXPECT_FALSE(Read(complex, text));
    EXPECT_EQ(complex.LoadedPage(0), BranchSetup(true));
}

TEST(BranchGrowth, TrunkChainContinuesUpAndThins) {
    RegularTreeModel tree;
    BaseSetup& base = tree.Base();
    base.SetIteration(5), base.SetExtendTo(3), base.SetHeight(100), base.SetHeightReduction(80);
    base.SetDiameter(40), base.SetDiameterReduction(50), base.SetCut(true);
    SkeletonLevels skeleton;
    Grow(tree, skeleton);
    ASSERT_EQ(skeleton.LevelCount(), 4u);  // no page used: levels 4, 5 are not made
    EXPECT_FALSE(skeleton[0].front().IsCut());  // the chain's top is capped instead
    const double lengths[] = {100, 80, 64, 51.2}, diameters[] = {40, 20, 10, 5};
    for (int j = 0; j <= 3; ++j) {
        const BranchSegment& piece = skeleton[j].front();
        EXPECT_NEAR(piece.Length(), lengths[j], 1e-9);
        EXPECT_NEAR(piece.Diameter(), diameters[j], 1e-9);
        EXPECT_NEAR(piece.ObliqueAngle(), 0, 1e-9);
        if (j > 0) {
            EXPECT_EQ(piece.Parent(), &skeleton[j - 1].front());
        }
    }
    EXPECT_TRUE(skeleton[3].front().IsCut());
    EXPECT_FALSE(skeleton[2].front().IsCut());
    base.SetIteration(2);  // the chain stops at Iteration
    Grow(tree, skeleton);
    EXPECT_EQ(skeleton.LevelCount(), 3u);
    EXPECT_TRUE(skeleton[2].front().IsCut());  // the topmost piece grown is capped
}

TEST(BranchGrowth, CutCapsTheTrunkWhenIterationLeavesNoChainPiece) {
    for (bool complex : {false, true}) {
        const std::unique_ptr<BranchTreeModel> tree = grovewright::test::MakeBranchModel(complex);
        tree->Base().SetHeight(100), tree->Base().SetExtendTo(2), tree->Base().SetCut(true);
        SkeletonLevels skeleton;
        Grow(*tree, skeleton);
        ASSERT_EQ(skeleton.SegmentCount(), 1u);
        EXPECT_TRUE(skeleton[0].front().IsCut()) << (complex ? "complex" : "regular");
        tree->Base().SetCut(false);
        Grow(*tree, skeleton);
        EXPECT_FALSE(skeleton[0].front().IsCut());
    }
}

TEST(ProjectLoading, NamesThePartsThatKeptTheirSettings) {
    SimpleTreeModel simple;
    RegularTreeModel regular;
    LeafGeneratorModel leaves;
    simple.Base().SetHeight(250);
    regular.Base().SetHeight(330);
    // A file without the complex section, whose third leaf page cannot be found.
    std::string text = grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) {
        simple.WriteSetup(writer);
        regular.WriteSetup(writer);
        leaves.WriteSetup(writer);
    });
    text = Replaced(Replaced(text, "<LeafSetup3>", "<LeafSetupX>"), "</LeafSetup3>", "</LeafSetupX>");
    // The fifth page has one value out of range: named, though its other values are taken.
    const std::size_t fifth = text.find("<LeafSetup5>");
    text.replace(text.find("<Width>0</Width>", fifth), 16, "<Width>999</Width>");
    text.replace(text.find("<Height>0</Height>", fifth), 18, "<Height>5</Height>");
    TempFolder folder;
    WriteFileBytes(folder.File("partial.xml"), text);

    SimpleTreeModel loadedSimple;
    RegularTreeModel loadedRegular;
    ComplexTreeModel loadedComplex;
    loadedComplex.Base().SetHeight(440);
    LeafGeneratorModel loadedLeaves;
    TGXMLFileReader reader;
    std::string error;
    std::vector<std::string> kept;
    ASSERT_TRUE(LoadProject(reader, folder.File("partial.xml"), {&loadedSimple, &loadedRegular, &loadedComplex},
                            error, &loadedLeaves, &kept))
        << error;
    EXPECT_EQ(kept, (std::vector<std::string>{"ComplexGrovewright", "LeafCreator: Leaf 3, Leaf 5"}));
    EXPECT_EQ(loadedLeaves.Page(4).GetParameter(LeafSetup::kHeight), 5);
    EXPECT_EQ(loadedLeaves.Page(4).GetParameter(LeafSetup::kWidth), 0);
    EXPECT_EQ(loadedSimple.Base().Height(), 250);
    EXPECT_EQ(loadedRegular.Base().Height(), 330);
    EXPECT_EQ(loadedComplex.Base().Height(), 440);

    // Without any leaf section the leaf generator is named alone.
    WriteFileBytes(folder.File("trees.xml"), grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) {
                       simple.WriteSetup(writer);
                   }));
    ASSERT_TRUE(LoadProject(reader, folder.File("trees.xml"), {&loadedSimple, &loadedRegular}, error,
                            &loadedLeaves, &kept));
    EXPECT_EQ(kept, (std::vector<std::string>{"RegularGrovewright", "LeafCreator"}));
}

TEST(BranchGrowth, EveryPageAddsOneBranchPerParent) {
    RegularTreeModel tree;
    tree.Base().SetIteration(3), tree.Base().SetExtendTo(2), tree.Base().SetHeight(100);
    tree.Base().SetDiameter(30), tree.Base().SetDiameterReduction(80);
    B& first = tree.Page(0);
    first.Set(B::kUseBranch, true), first.Set(B::kAddFrom, 0), first.Set(B::kAddTo, 2), first.Set(B::kAddAngle, 60);
    first.Set(B::kRelativAdd, 50), first.Set(B::kHeight, 40), first.Set(B::kHeightReduction, 50);
    first.Set(B::kOriAngle, 30), first.Set(B::kDiameter, 200);
    B& second = tree.Page(1);
    second.Set(B::kUseBranch, true), second.Set(B::kAddFrom, 1), second.Set(B::kAddTo, 1);
    second.Set(B::kAddAngle, 0), second.Set(B::kCut, true);
    B& beyond = tree.Page(3);  // page 4 > Iteration 3: adds nothing
    beyond.Set(B::kUseBranch, true);
    SkeletonLevels skeleton;
    Grow(tree, skeleton);
    ASSERT_EQ(skeleton.LevelCount(), 3u);
    // Level 1: its trunk piece, then page 1's branches on the three trunk pieces.
    ASSERT_EQ(skeleton[1].size(), 1u + 3u);
    // Level 2: its trunk piece, then page 2's branches on the 4 segments of level 1 as it was then.
    ASSERT_EQ(skeleton[2].size(), 1u + 4u);
    std::vector<const BranchSegment*> level1;
    for (const BranchSegment& s : skeleton[1]) level1.push_back(&s);
    const BranchSegment* trunk[] = {&skeleton[0].front(), level1[0], &skeleton[2].front()};
    for (int j = 0; j < 3; ++j) {
        const BranchSegment& branch = *level1[1 + j];
        const BranchSegment& parent = *trunk[j];
        // The cone: 40 cm shrinking by half per parent level.
        EXPECT_NEAR(branch.Length(), 40 * std::pow(0.5, j), 1e-9);
        const Vector3D expected = ExpectedEnd(parent, 0.5, 40 * std::pow(0.5, j), 60, 30);
        EXPECT_NEAR(branch.End().x, expected.x, 1e-9);
        EXPECT_NEAR(branch.End().y, expected.y, 1e-9);
        EXPECT_NEAR(branch.End().z, expected.z, 1e-9);
        EXPECT_NEAR(branch.Start().y, parent.Start().y + parent.Length() / 2, 1e-9);
        // Never thicker than the parent where it sits: 200 capped by d (1 - 0.2 * 0.5).
        EXPECT_NEAR(branch.Diameter(), parent.Diameter() * 0.9, 1e-9);
        EXPECT_EQ(branch.Parent(), nullptr);  // starts as a separate tube
        EXPECT_EQ(branch.Twist(), 30);
        EXPECT_EQ(branch.Spread(), 60);
        EXPECT_FALSE(branch.IsCut());
    }
    // Page 2 continues each parent's tip straight on (RelativAdd 1, AddAngle 0): linked.
    std::size_t index = 0;
    for (const BranchSegment& branch : skeleton[2]) {
        if (index > 0) {
            const BranchSegment& parent = *level1[index - 1];
            EXPECT_EQ(branch.Parent(), &parent);
            EXPECT_NEAR(branch.Start().x, parent.End().x, 1e-12);
            EXPECT_NEAR(branch.ObliqueAngle(), parent.ObliqueAngle(), 1e-9);
            EXPECT_NEAR(branch.Length(), parent.Length(), 1e-9);  // Height 0: the parent's length
            EXPECT_TRUE(branch.IsCut());
            EXPECT_DOUBLE_EQ(branch.Diameter(), 1);  // the page's Diameter 1 is the cap
        }
        ++index;
    }
}

TEST(BranchGrowth, ComplexFlagsChooseTheParents) {
    struct Case {
        bool onlyTrunk, truncBranches;
        std::size_t added;  // branches of page 2 over levels 0..1 (2 trunk pieces, 1 branch)
    };
    for (const Case& c : {Case{true, false, 2}, Case{true, true, 2}, Case{false, true, 3}, Case{false, false, 1}}) {
        ComplexTreeModel tree;
        tree.Base().SetIteration(2), tree.Base().SetExtendTo(1), tree.Base().SetHeight(100);
        B& first = tree.Page(0);
        first.Set(B::kUseBranch, true), first.Set(B::kAddTo, 0), first.Set(B::kAddAngle, 45);
        first.Set(B::kOriAngle, 0);
        B& second = tree.Page(1);
        second.Set(B::kUseBranch, true), second.Set(B::kAddFrom, 0), second.Set(B::kAddTo, 1);
        second.Set(B::kAddAngle, 30);
        second.Set(B::kOnlyTrunc, c.onlyTrunk), second.Set(B::kTruncBranches, c.truncBranches);
        SkeletonLevels skeleton;
        Grow(tree, skeleton);
        // Level 1: trunk piece + one branch on the trunk (page 1 covers level 0 only).
        ASSERT_EQ(skeleton[1].size(), 2u);
        EXPECT_EQ(skeleton[2].size(), c.added) << c.onlyTrunk << c.truncBranches;
    }
}

TEST(BranchGrowth, UseTwistTurnsByTheGoldenAnglePerLevel) {
    ComplexTreeModel tree;
    tree.Base().SetIteration(1), tree.Base().SetExtendTo(3), tree.Base().SetHeight(100);
    tree.Base().SetIteration(4);
    B& page = tree.Page(0);
    page.Set(B::kUseBranch, true), page.Set(B::kAddTo, 3), page.Set(B::kAddAngle, 80), page.Set(B::kOriAngle, 300);
    page.Set(B::kUseTwist, true);
    SkeletonLevels skeleton;
    Grow(tree, skeleton);
    ASSERT_EQ(skeleton[1].size(), 1u + 4u);
    std::size_t index = 0;
    for (const BranchSegment& branch : skeleton[1]) {
        if (index > 0) {
            const int level = static_cast<int>(index) - 1;
            EXPECT_NEAR(branch.Twist(), std::fmod(300 + 137.5 * level, 360.0), 1e-9);
            const BranchSegment& parent = level == 0 ? skeleton[0].front() : skeleton[level].front();
            const Vector3D expected = ExpectedEnd(parent, 1, 100, 80, std::fmod(300 + 137.5 * level, 360.0));
            EXPECT_NEAR(branch.End().x, expected.x, 1e-9);
            EXPECT_NEAR(branch.End().z, expected.z, 1e-9);
        }
        ++index;
    }
}

TEST(BranchGrowth, ParentRangesOutsideTheTreeAddNothing) {
    RegularTreeModel tree;
    tree.Base().SetIteration(3), tree.Base().SetHeight(100);
    B& page = tree.Page(0);
    page.Set(B::kUseBranch, true), page.Set(B::kAddFrom, 2), page.Set(B::kAddTo, 1);  // from > to
    tree.Page(2).Set(B::kUseBranch, true);  // page 3 over levels 0..20: adds to level 3
    tree.Page(2).Set(B::kAddAngle, 20);
    SkeletonLevels skeleton;
    Grow(tree, skeleton);
    ASSERT_EQ(skeleton.LevelCount(), 4u);
    EXPECT_TRUE(skeleton[1].empty());  // created below level 3, and stays empty
    EXPECT_TRUE(skeleton[2].empty());
    EXPECT_EQ(skeleton[3].size(), 1u);  // one branch on the trunk
}
