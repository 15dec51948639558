#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "TestHelpers.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/SkeletonLevels.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"
#include "render/TreeViewParameters.h"

using namespace grovewright;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

// The growth exactly as first described: every child's direction is rebuilt by
// a chain of rotations over all its ancestors. The real growth composes them
// once per level; both must give the same tree.
class ReferenceGrowth {
public:
    ReferenceGrowth(const BaseSetup& base, const SimpleSetup& custom, SkeletonLevels& skeleton)
        : base_(base), custom_(custom), skeleton_(skeleton) {}

    void Grow(int depth) {
        if (depth > base_.Iteration()) return;
        if (skeleton_.LevelCount() < static_cast<std::size_t>(depth) + 1) skeleton_.AppendLevel();
        const double e = custom_.Balance() / 100.0;
        MakeChild(depth, e, custom_.SpreadAngle());
        Grow(depth + 1);
        MakeChild(depth, 1 - e, -custom_.SpreadAngle());
        Grow(depth + 1);
    }

private:
    void MakeChild(int depth, double s, double sigma) {
        const BranchSegment& p = skeleton_[depth - 1].back();
        double length = p.Length() * (base_.HeightReduction() / 100.0);
        const double k = 2 * (1 - s);
        if (custom_.BalanceDependence() && k <= 1) length *= k;
        Vector3D w(0, length, 0);
        w.RotateZ(s * sigma).RotateY(custom_.TwistAngle());
        for (int i = depth - 1; i >= 0; --i) {
            const BranchSegment& a = skeleton_[i].back();
            w.RotateZ(a.Share() * a.Spread()).RotateY(a.Twist());
        }
        const double d = base_.Diameter(), dr = base_.DiameterReduction();
        double diameterBase = d;
        if (custom_.DiameterBalanceDep() && s > 0.5) diameterBase = d * 2 * (1 - s);
        double u = diameterBase * std::pow(dr / 100, depth);
        const double cap = dr * p.Diameter() / 100;
        if (u > cap) u = cap;
        Vector3D end = p.End();
        end.Add(w);
        BranchSegment& child = skeleton_[depth].Append(p.End(), end, custom_.TwistAngle(), sigma, s, u,
                                                       s <= 0.5 ? &p : nullptr);
        if (depth == base_.Iteration() && custom_.Cut()) child.SetCut(true);
    }

    const BaseSetup& base_;
    const SimpleSetup& custom_;
    SkeletonLevels& skeleton_;
};

void Configure(SimpleTreeModel& tree, int iteration, int height) {
    tree.Base().SetIteration(iteration);
    tree.Base().SetHeight(height);
}

void ExpectPoint(const Vector3D& v, double x, double y, double z, double tolerance = 1e-9) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

std::string SaveToText(const TreeGeneratorModel& model) {
    return grovewright::test::WrittenProject([&](TGXMLFileWriter& writer) { model.WriteSetup(writer); });
}

// Reads the section of text into model; returns ReadSetup's result.
bool ReadFromText(TreeGeneratorModel& model, const std::string& text) {
    return grovewright::test::ReadProject(text, [&](TGXMLFileReader& reader) { return model.ReadSetup(reader); });
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(BaseSetup, SettersRejectValuesOutsideTheirSliders) {
    BaseSetup base;
    EXPECT_FALSE(base.SetDivision(2));
    EXPECT_FALSE(base.SetDiameter(0));
    EXPECT_FALSE(base.SetIteration(21));
    EXPECT_FALSE(base.SetDiameterReduction(0));
    EXPECT_FALSE(base.SetHeight(-1));
    EXPECT_FALSE(base.SetObliqueAngle(91));
    EXPECT_FALSE(base.SetOrientationAngle(361));
    EXPECT_EQ(base, BaseSetup());  // nothing changed
    EXPECT_TRUE(base.SetDivision(20));
    EXPECT_TRUE(base.SetOrientationAngle(360));
    EXPECT_TRUE(base.SetHeight(500));
    EXPECT_EQ(base.Division(), 20);
}

TEST(TreeRebuild, DefaultTreeIsOneZeroLengthTrunk) {
    SimpleTreeModel tree;
    tree.Reset();
    SkeletonLevels skeleton;
    skeleton.AppendLevel().Append(Vector3D(), Vector3D(1, 1, 1), 0, 0, 1, 1);  // old content goes
    tree.Rebuild(skeleton);
    ASSERT_EQ(skeleton.LevelCount(), 1u);
    ASSERT_EQ(skeleton[0].size(), 1u);
    const BranchSegment& trunk = skeleton[0].front();
    ExpectPoint(trunk.Start(), 0, 0, 0, 0);
    ExpectPoint(trunk.End(), 0, 0, 0, 0);
    EXPECT_EQ(trunk.Diameter(), 1);
    EXPECT_FALSE(trunk.IsCut());
}

TEST(TreeRebuild, TrunkIsCappedOnlyWithoutExtendTo) {
    SimpleTreeModel tree;
    Configure(tree, 0, 300);
    tree.Base().SetCut(true);
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    EXPECT_TRUE(skeleton[0].front().IsCut());
    tree.Base().SetExtendTo(1);
    tree.Rebuild(skeleton);
    EXPECT_FALSE(skeleton[0].front().IsCut());
}

TEST(TreeRebuild, PushesTheMeshValuesToTheView) {
    SimpleTreeModel tree;
    tree.Base().SetObliqueAngle(30);
    tree.Base().SetOrientationAngle(200);
    tree.Base().SetDiameter(40);
    tree.Base().SetDiameterReduction(80);
    tree.Base().SetDivision(7);
    TreeViewParameters view;
    view.Take(tree.Base());
    EXPECT_EQ(view.ObliqueAngle(), 30);
    EXPECT_EQ(view.OrientationAngle(), 200);
    EXPECT_EQ(view.Diameter(), 40);
    EXPECT_DOUBLE_EQ(view.DiameterReduction(), 0.8);
    EXPECT_EQ(view.Division(), 7);
    // The view ignores values outside its own rules.
    view.SetDivision(2);
    view.SetDiameter(0);
    view.SetObliqueAngle(91);
    EXPECT_EQ(view.Division(), 7);
    EXPECT_EQ(view.Diameter(), 40);
    EXPECT_EQ(view.ObliqueAngle(), 30);
}

TEST(SimpleGrowth, IterationZeroGrowsOnlyTheTrunk) {
    SkeletonLevels skeleton;
    SimpleTreeModel tree;
    Configure(tree, 0, 300);
    tree.Rebuild(skeleton);
    EXPECT_EQ(skeleton.LevelCount(), 1u);
    EXPECT_EQ(skeleton.SegmentCount(), 1u);
    ExpectPoint(skeleton[0].front().End(), 0, 300, 0);
}

TEST(SimpleGrowth, IterationOneForksAtTheTrunkTip) {
    SkeletonLevels skeleton;
    SimpleTreeModel tree;
    Configure(tree, 1, 300);
    tree.Rebuild(skeleton);
    ASSERT_EQ(skeleton.LevelCount(), 2u);
    ASSERT_EQ(skeleton[1].size(), 2u);
    const BranchSegment& trunk = skeleton[0].front();
    const BranchSegment& first = skeleton[1].front();
    const BranchSegment& second = skeleton[1].back();
    for (const BranchSegment* child : {&first, &second}) {
        ExpectPoint(child->Start(), 0, 300, 0);
        EXPECT_NEAR(child->Length(), 300, 1e-9);
        EXPECT_NEAR(child->ObliqueAngle(), 22.5, 1e-9);
        EXPECT_NEAR(child->End().z, 0, 1e-9);  // in the x-y plane
        EXPECT_EQ(child->Parent(), &trunk);
    }
    // Opposite sides: +22.5 degrees about z tilts +y towards -x.
    EXPECT_LT(first.End().x, 0);
    EXPECT_GT(second.End().x, 0);
    EXPECT_EQ(first.Spread(), 45);
    EXPECT_EQ(second.Spread(), -45);
    EXPECT_EQ(first.Share(), 0.5);
}

TEST(SimpleGrowth, FullBalanceGivesOneZeroLengthChildAndOneStraightChild) {
    for (int balance : {100, 0}) {
        SimpleTreeModel tree;
    Configure(tree, 1, 300);
        tree.Custom().SetBalance(balance);
        SkeletonLevels skeleton;
        tree.Rebuild(skeleton);
        const BranchSegment& tilted = balance == 100 ? skeleton[1].front() : skeleton[1].back();
        const BranchSegment& straight = balance == 100 ? skeleton[1].back() : skeleton[1].front();
        EXPECT_EQ(tilted.Share(), 1.0);
        EXPECT_EQ(tilted.Length(), 0.0);  // k = 0
        EXPECT_EQ(tilted.Parent(), nullptr);
        EXPECT_EQ(straight.Share(), 0.0);
        ExpectPoint(straight.End(), 0, 600, 0);
        EXPECT_NE(straight.Parent(), nullptr);
    }
}

TEST(SimpleGrowth, BalanceEightyWithBalanceDependence) {
    SimpleTreeModel tree;
    Configure(tree, 1, 300);
    tree.Custom().SetBalance(80);
    tree.Custom().SetSpreadAngle(50);
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    const BranchSegment& first = skeleton[1].front();
    const BranchSegment& second = skeleton[1].back();
    EXPECT_NEAR(first.ObliqueAngle(), 0.8 * 50, 1e-9);
    EXPECT_NEAR(first.Length(), 0.4 * 300, 1e-9);
    EXPECT_EQ(first.Parent(), nullptr);
    EXPECT_NEAR(second.ObliqueAngle(), 0.2 * 50, 1e-9);
    EXPECT_NEAR(second.Length(), 300, 1e-9);
    EXPECT_NE(second.Parent(), nullptr);
    EXPECT_GT(second.End().x, 0);  // tilted the other way
    // Without the dependence both keep the full length.
    tree.Custom().SetBalanceDependence(false);
    tree.Rebuild(skeleton);
    EXPECT_NEAR(skeleton[1].front().Length(), 300, 1e-9);
}

TEST(SimpleGrowth, DiametersShrinkAndNeverExceedTheCap) {
    SimpleTreeModel tree;
    Configure(tree, 2, 100);
    tree.Base().SetDiameter(100);
    tree.Base().SetDiameterReduction(50);
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    for (const BranchSegment& s : skeleton[1]) EXPECT_DOUBLE_EQ(s.Diameter(), 50);
    for (const BranchSegment& s : skeleton[2]) EXPECT_DOUBLE_EQ(s.Diameter(), 25);

    // With the diameter balance dependence a child with share 0.8 starts at 2 * 0.2 * D * DR.
    tree.Custom().SetBalance(80);
    tree.Custom().SetDiameterBalanceDep(true);
    tree.Rebuild(skeleton);
    EXPECT_DOUBLE_EQ(skeleton[1].front().Diameter(), 100 * 0.4 * 0.5);
    EXPECT_DOUBLE_EQ(skeleton[1].back().Diameter(), 50);  // cap: 50 % of the trunk
}

TEST(SimpleGrowth, CutMarksOnlyTheLastLevel) {
    SimpleTreeModel tree;
    Configure(tree, 3, 200);
    tree.Custom().SetCut(true);
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    for (std::size_t level = 0; level < skeleton.LevelCount(); ++level)
        for (const BranchSegment& s : skeleton[level]) EXPECT_EQ(s.IsCut(), level == 3) << level;
}

TEST(SimpleGrowth, FullBinaryTreeInDepthFirstOrder) {
    SimpleTreeModel tree;
    Configure(tree, 10, 300);
    tree.Custom().SetTwistAngle(90);
    SkeletonLevels skeleton;
    tree.Rebuild(skeleton);
    EXPECT_EQ(skeleton.SegmentCount(), (1u << 11) - 1);
    for (std::size_t level = 0; level <= 10; ++level) EXPECT_EQ(skeleton[level].size(), 1u << level);
    // Every child starts at the tip of the segment created just before it one
    // level down: the walk is depth first.
    std::vector<std::vector<const BranchSegment*>> byLevel(11);
    for (std::size_t level = 0; level <= 10; ++level)
        for (const BranchSegment& s : skeleton[level]) byLevel[level].push_back(&s);
    for (std::size_t level = 1; level <= 10; ++level)
        for (std::size_t i = 0; i < byLevel[level].size(); ++i) {
            const Vector3D& start = byLevel[level][i]->Start();
            const Vector3D& parentEnd = byLevel[level - 1][i / 2]->End();
            ASSERT_EQ(start.x, parentEnd.x);
            ASSERT_EQ(start.y, parentEnd.y);
            ASSERT_EQ(start.z, parentEnd.z);
        }
}

TEST(SimpleGrowth, ComposedRotationsMatchTheAncestorChain) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 12; ++trial) {
        SimpleTreeModel tree;
        tree.Base().SetIteration(7);
        tree.Base().SetHeight(static_cast<int>(random() % 500) + 1);
        tree.Base().SetHeightReduction(static_cast<int>(random() % 100) + 1);
        tree.Base().SetDiameter(static_cast<int>(random() % 200) + 1);
        tree.Base().SetDiameterReduction(static_cast<int>(random() % 100) + 1);
        tree.Custom().SetBalance(static_cast<int>(random() % 101));
        tree.Custom().SetSpreadAngle(static_cast<int>(random() % 181));
        tree.Custom().SetTwistAngle(static_cast<int>(random() % 181));
        tree.Custom().SetBalanceDependence(random() % 2);
        tree.Custom().SetDiameterBalanceDep(random() % 2);
        tree.Custom().SetCut(random() % 2);
        SkeletonLevels grown, reference;
        tree.Rebuild(grown);
        reference.AppendLevel().Append(Vector3D(), Vector3D(0, tree.Base().Height(), 0), 0, 0, 1,
                                       tree.Base().Diameter());
        ReferenceGrowth(tree.Base(), tree.Custom(), reference).Grow(1);
        ASSERT_EQ(grown.LevelCount(), reference.LevelCount());
        for (std::size_t level = 0; level < grown.LevelCount(); ++level) {
            auto g = grown[level].begin();
            for (const BranchSegment& r : reference[level]) {
                // Centimetres in the skeleton: 1e-7 cm is 1e-9 m.
                ExpectPoint(g->End(), r.End().x, r.End().y, r.End().z, 1e-7);
                EXPECT_DOUBLE_EQ(g->Diameter(), r.Diameter());
                EXPECT_EQ(g->IsCut(), r.IsCut());
                EXPECT_EQ(g->Parent() == nullptr, r.Parent() == nullptr);
                ++g;
            }
        }
    }
}

TEST(SimpleSection, WritesTheExactLayout) {
    SimpleTreeModel tree;
    Configure(tree, 4, 250);
    tree.Base().SetCut(true);
    tree.Custom().SetBalanceDependence(false);
    EXPECT_EQ(SaveToText(tree),
              "<?xml version=\"1.0\"?>\n<!DOCTYPE Grovewright_setup_file>\n<Grovewright_Setup>\n"
              "   <SimpleGrovewright>\n"
              "      <BaseSetup>\n"
              "         <Iteration>4</Iteration>\n"
              "         <Height>250</Height>\n"
              "         <HeightReduction>100</HeightReduction>\n"
              "         <ExtendTo>0</ExtendTo>\n"
              "         <ObliqueAngle>0</ObliqueAngle>\n"
              "         <OrientationAngle>0</OrientationAngle>\n"
              "         <Division>3</Division>\n"
              "         <Diameter>1</Diameter>\n"
              "         <DiameterReduction>100</DiameterReduction>\n"
              "         <Cut>1</Cut>\n"
              "      </BaseSetup>\n"
              "      <CustomSetup>\n"
              "         <Balance>50</Balance>\n"
              "         <SpreadAngle>45</SpreadAngle>\n"
              "         <TwistAngle>0</TwistAngle>\n"
              "         <BalanceDependence>0</BalanceDependence>\n"
              "         <Cut>0</Cut>\n"
              "         <DiameterBalanceDep>0</DiameterBalanceDep>\n"
              "      </CustomSetup>\n"
              "   </SimpleGrovewright>\n"
              "</Grovewright_Setup>\n");
}

TEST(SimpleSection, RoundTripRestoresEveryValue) {
    SimpleTreeModel saved;
    BaseSetup& b = saved.Base();
    b.SetIteration(20), b.SetHeight(500), b.SetHeightReduction(0), b.SetExtendTo(20), b.SetObliqueAngle(90);
    b.SetOrientationAngle(360), b.SetDivision(20), b.SetDiameter(200), b.SetDiameterReduction(1), b.SetCut(true);
    SimpleSetup& c = saved.Custom();
    c.SetBalance(100), c.SetSpreadAngle(180), c.SetTwistAngle(180), c.SetBalanceDependence(false), c.SetCut(true);
    c.SetDiameterBalanceDep(true);

    SimpleTreeModel loaded;
    ASSERT_TRUE(ReadFromText(loaded, SaveToText(saved)));
    EXPECT_EQ(loaded.Base(), BaseSetup());  // nothing applied yet
    loaded.ApplySetup();
    EXPECT_EQ(loaded.Base(), saved.Base());
    EXPECT_EQ(loaded.Custom(), saved.Custom());
}

TEST(SimpleSection, InvalidBaseSetupsAreRejectedWhole) {
    SimpleTreeModel saved;
    Configure(saved, 5, 300);
    const std::string text = SaveToText(saved);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"<Division>3</Division>", "<Division>2</Division>"},
             {"         <Cut>0</Cut>\n      </BaseSetup>", "      </BaseSetup>"},
             {"<Cut>0</Cut>\n      </BaseSetup>", "<Cut>2</Cut>\n      </BaseSetup>"},
             {"<Iteration>5</Iteration>", "<Iteration>21</Iteration>"},
             {"<Height>300</Height>", "<Height>-5</Height>"},
             {"<BaseSetup>", "<Base>"},
             {"<SimpleGrovewright>", "<SimpleTree>"}}) {
        SimpleTreeModel loaded;
        loaded.Base().SetHeight(42);
        EXPECT_FALSE(ReadFromText(loaded, Replace(text, from, to))) << to;
        EXPECT_EQ(loaded.LoadedBase(), BaseSetup()) << to;
        EXPECT_EQ(loaded.Base().Height(), 42);
    }
}

TEST(SimpleSection, ValidCustomSetupIsLoadedEvenWhenTheBaseSetupIsNot) {
    SimpleTreeModel saved;
    Configure(saved, 5, 300);
    saved.Custom().SetSpreadAngle(99);
    SimpleTreeModel loaded;
    EXPECT_FALSE(ReadFromText(loaded, Replace(SaveToText(saved), "<Division>3<", "<Division>99<")));
    EXPECT_EQ(loaded.LoadedCustom().SpreadAngle(), 99);
    // An invalid CustomSetup leaves the loaded custom values alone.
    SimpleTreeModel other;
    EXPECT_FALSE(ReadFromText(other, Replace(SaveToText(saved), "<Balance>50<", "<Balance>101<")));
    EXPECT_EQ(other.LoadedCustom(), SimpleSetup());
    EXPECT_EQ(other.LoadedBase().Iteration(), 5);  // the base part did read
}

TEST(ProjectLoading, FirstGeneratorMustReadOrNothingChanges) {
    TempFolder folder;
    SimpleTreeModel saved;
    Configure(saved, 6, 320);
    WriteFileBytes(folder.File("good.xml"), SaveToText(saved));
    WriteFileBytes(folder.File("bad.xml"), Replace(SaveToText(saved), "<Height>320<", "<Height>900<"));

    SimpleTreeModel tree;
    TGXMLFileReader reader;
    std::string error;
    EXPECT_FALSE(LoadProject(reader, folder.File("bad.xml"), {&tree}, error));
    EXPECT_NE(error.find("bad.xml"), std::string::npos);
    EXPECT_NE(error.find("SimpleGrovewright"), std::string::npos);
    EXPECT_EQ(tree.Base(), BaseSetup());
    EXPECT_FALSE(LoadProject(reader, folder.File("missing.xml"), {&tree}, error));
    EXPECT_NE(error.find("missing.xml"), std::string::npos);
    ASSERT_TRUE(LoadProject(reader, folder.File("good.xml"), {&tree}, error)) << error;
    EXPECT_EQ(tree.Base(), saved.Base());
}

TEST(ProjectLoading, DamagedFilesNeverBreakTheLoad) {
    // Random cuts, byte flips and splices of a real project: the load either
    // succeeds with values inside their ranges or changes nothing.
    SimpleTreeModel saved;
    Configure(saved, 7, 420);
    saved.Custom().SetSpreadAngle(120);
    const std::string text = SaveToText(saved);
    std::mt19937 random(3);
    TempFolder folder;
    for (int trial = 0; trial < 400; ++trial) {
        std::string damaged = text;
        switch (trial % 4) {
            case 0: damaged.resize(random() % damaged.size()); break;
            case 1:
                for (int i = 0; i < 8; ++i) damaged[random() % damaged.size()] = static_cast<char>(' ' + random() % 90);
                break;
            case 2: damaged.erase(random() % damaged.size(), random() % 200); break;
            default: damaged.insert(random() % damaged.size(), damaged.substr(random() % damaged.size(), 40)); break;
        }
        WriteFileBytes(folder.File("damaged.xml"), damaged);
        SimpleTreeModel tree;
        TGXMLFileReader reader;
        std::string error;
        if (LoadProject(reader, folder.File("damaged.xml"), {&tree}, error)) {
            const BaseSetup& b = tree.Base();
            EXPECT_TRUE(BaseSetup::Range(BaseSetup::kIteration).Contains(b.Iteration()) && BaseSetup::Range(BaseSetup::kHeight).Contains(b.Height()) &&
                        BaseSetup::Range(BaseSetup::kDivision).Contains(b.Division()) && BaseSetup::Range(BaseSetup::kDiameter).Contains(b.Diameter()));
            EXPECT_TRUE(SimpleSetup::Range(SimpleSetup::kSpreadAngle).Contains(tree.Custom().SpreadAngle()));
        } else {
            EXPECT_EQ(tree.Base(), BaseSetup());
            EXPECT_FALSE(error.empty());
        }
    }
}
