// Valid designs at the edges of their slider ranges: every number written to
// an export is finite.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestHelpers.h"
#include "generators/BranchTreeModel.h"
#include "generators/LeafGenerator.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "render/TreeViewParameters.h"

using namespace grovewright;

namespace {

// The first "nan" or "inf" in an export's text, or an empty string.
std::string NonFinite(const std::string& text) {
    for (const char* word : {"nan", "inf", "NAN", "INF"})
        if (const auto at = text.find(word); at != std::string::npos)
            return text.substr(text.rfind('\n', at) + 1, 60);
    return {};
}

// Grows the design and writes it with leaves as .x and .dxf; expects finite numbers only.
void ExpectFiniteExports(const TreeGeneratorModel& tree, const LeafGeneratorModel& leafPages,
                         const std::string& design) {
    const auto texts = grovewright::test::ExportWithLeaves(grovewright::test::GrownDesign(tree, leafPages));
    EXPECT_EQ(NonFinite(texts.directX), "") << design;
    EXPECT_EQ(NonFinite(texts.dxf), "") << design;
}

// One end of a range, chosen by the random bit.
int Corner(ParameterRange range, std::mt19937& random) { return random() % 2 ? range.max : range.min; }

void ExtremeBase(BaseSetup& base, int maxIteration, std::mt19937& random) {
    base.SetIteration(random() % 2 ? maxIteration : 0);
    base.SetHeight(Corner(BaseSetup::Range(BaseSetup::kHeight), random));
    base.SetHeightReduction(Corner(BaseSetup::Range(BaseSetup::kHeightReduction), random));
    base.SetExtendTo(Corner(BaseSetup::Range(BaseSetup::kExtendTo), random));
    base.SetObliqueAngle(Corner(BaseSetup::Range(BaseSetup::kObliqueAngle), random));
    base.SetOrientationAngle(Corner(BaseSetup::Range(BaseSetup::kOrientationAngle), random));
    base.SetDivision(Corner(BaseSetup::Range(BaseSetup::kDivision), random));
    base.SetDiameter(Corner(BaseSetup::Range(BaseSetup::kDiameter), random));
    base.SetDiameterReduction(Corner(BaseSetup::Range(BaseSetup::kDiameterReduction), random));
    base.SetCut(random() % 2);
}

// Growth values at corners of their ranges on every other trial, so that the
// sweep keeps designs without growth values too.
void ExtremeGrowth(GrowthSetup& growth, int trial, std::mt19937& random) {
    if (trial % 2 == 0) return;
    for (int i = 0; i < GrowthSetup::kCount; ++i) growth.SetParameter(i, Corner(GrowthSetup::kParameters[i].range, random));
}

// Two leaf pages at corners of their ranges, over every level.
void ExtremeLeaves(LeafGeneratorModel& leafPages, std::mt19937& random) {
    for (int page = 0; page < 2; ++page) {
        LeafSetup& setup = leafPages.Page(page);
        setup.SetUseLeaf(true);
        setup.SetAddHorizontal(random() % 2);
        for (int v = 0; v < LeafSetup::kValueCount; ++v)
            setup.Set(static_cast<LeafSetup::Value>(v), Corner(LeafSetup::kParameters[v].range, random));
        setup.Set(LeafSetup::kRelativAddDownTo, 20);
    }
}

}  // namespace

TEST(ExtremeDesigns, ReportedCasesWriteFiniteNumbers) {
    LeafGeneratorModel noLeaves;
    // Very short, very thin segments at the tips of a simple tree.
    SimpleTreeModel simple;
    BaseSetup& s = simple.Base();
    s.SetIteration(12), s.SetHeight(112), s.SetHeightReduction(11), s.SetDiameter(1), s.SetDiameterReduction(1);
    s.SetDivision(3);
    ExpectFiniteExports(simple, noLeaves, "simple, Iteration 12, HeightReduction 0.11");
    // A capped chain of trunk pieces of zero length whose diameter shrinks to almost nothing.
    RegularTreeModel regular;
    BaseSetup& r = regular.Base();
    r.SetIteration(18), r.SetHeight(0), r.SetExtendTo(18), r.SetDiameterReduction(1), r.SetCut(true);
    ExpectFiniteExports(regular, noLeaves, "regular, Height 0, ExtendTo 18, Cut");
    // The same with long but needle-thin branches on every piece.
    ComplexTreeModel complex;
    BaseSetup& c = complex.Base();
    c.SetIteration(18), c.SetHeight(500), c.SetHeightReduction(1), c.SetExtendTo(18), c.SetDiameterReduction(1);
    c.SetCut(true);
    BranchSetup& page = complex.Page(0);
    page.Set(BranchSetup::kUseBranch, true), page.Set(BranchSetup::kOnlyTrunc, true);
    page.Set(BranchSetup::kAddTo, 18), page.Set(BranchSetup::kHeightReduction, 1);
    ExpectFiniteExports(complex, noLeaves, "complex, tiny chain pieces with branches");
}

TEST(ExtremeDesigns, CornersOfEveryRangeWriteFiniteNumbers) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 40; ++trial) {
        LeafGeneratorModel leafPages;
        ExtremeLeaves(leafPages, random);

        SimpleTreeModel simple;
        ExtremeBase(simple.Base(), 9, random);
        SimpleSetup& custom = simple.Custom();
        custom.SetBalance(Corner(SimpleSetup::Range(SimpleSetup::kBalance), random));
        custom.SetSpreadAngle(Corner(SimpleSetup::Range(SimpleSetup::kSpreadAngle), random));
        custom.SetTwistAngle(Corner(SimpleSetup::Range(SimpleSetup::kTwistAngle), random));
        custom.SetBalanceDependence(random() % 2), custom.SetDiameterBalanceDep(random() % 2);
        custom.SetCut(random() % 2);
        ExtremeGrowth(simple.Growth(), trial, random);
        ExpectFiniteExports(simple, leafPages, "simple corner " + std::to_string(trial));

        for (bool isComplex : {false, true}) {
            const std::unique_ptr<BranchTreeModel> tree = grovewright::test::MakeBranchModel(isComplex);
            ExtremeBase(tree->Base(), 3, random);
            // Three pages, each at corners of its ranges, adding to all earlier levels.
            for (int index = 0; index < 3; ++index) {
                BranchSetup& page = tree->Page(index);
                for (int v = 0; v < BranchSetup::kValueCount; ++v)
                    page.Set(static_cast<BranchSetup::Value>(v), Corner(BranchSetup::kParameters[v].range, random));
                page.Set(BranchSetup::kAddFrom, 0), page.Set(BranchSetup::kAddTo, 20);
                for (int f = 0; f < BranchSetup::kFlagCount; ++f)
                    page.Set(static_cast<BranchSetup::Flag>(f), static_cast<bool>(random() % 2));
                page.Set(BranchSetup::kUseBranch, true);
            }
            ExtremeGrowth(tree->Growth(), trial, random);
            ExpectFiniteExports(*tree, leafPages,
                                (isComplex ? "complex corner " : "regular corner ") + std::to_string(trial));
        }
    }
}
