// The design's one entry point for edits: validation through the parameter
// tables, exactly the stale parts rebuilt, undo and redo, the saved position.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "generators/DesignSize.h"
#include "generators/GrowthStop.h"
#include "generators/TreeDesign.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

using namespace grovewright;

namespace {

const ParameterId kIteration = ParameterId::Base(TreeDesign::kSimple, BaseSetup::kIteration);
const ParameterId kHeight = ParameterId::Base(TreeDesign::kSimple, BaseSetup::kHeight);
const ParameterId kDivision = ParameterId::Base(TreeDesign::kSimple, BaseSetup::kDivision);
const ParameterId kCut = ParameterId::Base(TreeDesign::kSimple, BaseSetup::kCut);
const ParameterId kUseLeaf = ParameterId::Leaf(0, LeafSetup::kUseLeaf);
const ParameterId kLeafHeight = ParameterId::Leaf(0, LeafSetup::kHeight);
const ParameterId kBranchUse =
    ParameterId::Branch(TreeDesign::kRegular, 0, BranchSetup::FlagIndex(BranchSetup::kUseBranch));

class TreeDesignTest : public testing::Test {
protected:
    void SetUp() override {
        design.AddObserver([this](const DesignChange& change) { changes.push_back(change); });
        design.Apply(kHeight, 200);
        design.Apply(kIteration, 3);
        changes.clear();
    }

    TreeDesign design;
    std::vector<DesignChange> changes;
};

TEST_F(TreeDesignTest, AValueOutOfRangeChangesNothingAndRecordsNoStep) {
    for (long value : {2L, 21L, -1L}) EXPECT_EQ(design.Apply(kDivision, value), TreeDesign::EditResult::OutOfRange);
    EXPECT_EQ(design.Apply(kCut, 2), TreeDesign::EditResult::OutOfRange);
    EXPECT_EQ(design.Apply(ParameterId::Leaf(4, LeafSetup::kLeafSplit), 4), TreeDesign::EditResult::OutOfRange);
    EXPECT_EQ(design.Get(kDivision), 3);
    EXPECT_TRUE(changes.empty());
    design.Undo();  // the last step is still the Iteration edit
    EXPECT_EQ(design.Get(kIteration), 0);
    EXPECT_EQ(design.Get(kHeight), 200);
}

TEST_F(TreeDesignTest, EachKindOfEditIsUndoneAndRedoneWithItsTree) {
    const std::size_t segments = design.Skeleton().SegmentCount();
    ASSERT_EQ(segments, 15u);
    struct Edit {
        const char* what;
        std::function<void()> apply;
        std::function<bool()> applied;
    };
    const Edit edits[] = {
        {"slider", [&] { design.Apply(kIteration, 5); }, [&] { return design.Skeleton().SegmentCount() == 63; }},
        {"check box", [&] { design.Apply(kCut, 1); }, [&] { return design.Generator(0).Base().Cut(); }},
        {"leaf check box", [&] { design.Apply(kUseLeaf, 1); },
         [&] { return !design.Leaves().Empty() && !design.Leaves()[0].empty(); }},
        {"hidden generator", [&] { design.Apply(kBranchUse, 1); },
         [&] { return design.Branches(1).Page(0).Get(BranchSetup::kUseBranch); }},
        {"reset", [&] { design.ResetGenerator(TreeDesign::kSimple); },
         [&] { return design.Skeleton().SegmentCount() == 1; }},
        {"reset all", [&] { design.ResetAll(); }, [&] { return design.Get(kHeight) == 0; }},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        edit.apply();
        ASSERT_TRUE(edit.applied());
        ASSERT_TRUE(design.CanUndo());
        EXPECT_TRUE(design.Undo());
        EXPECT_FALSE(edit.applied());
        EXPECT_EQ(design.Skeleton().SegmentCount(), segments);
        EXPECT_EQ(design.Get(kHeight), 200);
        EXPECT_TRUE(design.Redo());
        EXPECT_TRUE(edit.applied());
        EXPECT_TRUE(design.Undo());
    }
    EXPECT_EQ(design.Get(kIteration), 3);
    EXPECT_FALSE(design.Get(kCut));
}

TEST_F(TreeDesignTest, ALoadIsOneStepAndUndoingItGivesTheDesignBackItsFile) {
    test::TempFolder folder;
    design.Apply(kDivision, 7);
    test::WriteFileBytes(folder.File("b.xml"),
                         test::WrittenProject([&](TGXMLFileWriter& writer) { design.WriteSections(writer); }));
    design.SetDocument(folder.File("a.xml"));
    design.ResetAll();
    TGXMLFileReader reader;
    std::string error;
    ASSERT_TRUE(design.Load(reader, folder.File("b.xml"), error, nullptr));
    EXPECT_EQ(design.Get(kDivision), 7);
    EXPECT_EQ(design.Skeleton().SegmentCount(), 15u);
    EXPECT_EQ(design.Document(), folder.File("b.xml"));
    design.Undo();
    EXPECT_EQ(design.Get(kDivision), 3);
    EXPECT_EQ(design.Get(kHeight), 0);
    EXPECT_EQ(design.Document(), folder.File("a.xml"));
    // A load that fails is no step and changes nothing.
    EXPECT_FALSE(design.Load(reader, folder.File("missing.xml"), error, nullptr));
    EXPECT_TRUE(design.CanRedo());
    design.Redo();
    // So is a new project.
    design.NewDocument();
    EXPECT_EQ(design.Document(), "");
    EXPECT_EQ(design.Get(kHeight), 0);
    design.Undo();
    EXPECT_EQ(design.Document(), folder.File("b.xml"));
    EXPECT_EQ(design.Get(kHeight), 200);
    // A load that does not make the file the design's (the recovery file) keeps the file.
    ASSERT_TRUE(design.Load(reader, folder.File("b.xml"), error, nullptr, false));
    EXPECT_EQ(design.Document(), folder.File("b.xml"));
}

TEST_F(TreeDesignTest, ADragIsOneStepAndADragBackToItsStartIsNone) {
    for (int value : {250, 300, 310}) design.Apply(kHeight, value, true);
    design.EndDrag();
    for (int value : {320, 330}) design.Apply(kHeight, value, true);  // a second drag
    design.EndDrag();
    design.Undo();
    EXPECT_EQ(design.Get(kHeight), 310);
    design.Undo();
    EXPECT_EQ(design.Get(kHeight), 200);
    // Edits from line steps are steps of their own.
    design.Apply(kHeight, 201);
    design.Apply(kHeight, 202);
    design.Undo();
    EXPECT_EQ(design.Get(kHeight), 201);
    // A drag that ends where it began leaves nothing to undo.
    design.Apply(kDivision, 5, true);
    design.Apply(kDivision, 3, true);
    design.EndDrag();
    design.Undo();
    EXPECT_EQ(design.Get(kHeight), 200);
}

TEST_F(TreeDesignTest, ANewEditClearsRedo) {
    design.Apply(kHeight, 300);
    design.Undo();
    EXPECT_TRUE(design.CanRedo());
    design.Apply(kDivision, 6);
    EXPECT_FALSE(design.CanRedo());
    EXPECT_FALSE(design.Redo());
    EXPECT_EQ(design.Get(kHeight), 200);
}

TEST_F(TreeDesignTest, UnsavedMeansNotAsSaved) {
    EXPECT_TRUE(design.IsModified());
    design.MarkSaved();
    EXPECT_FALSE(design.IsModified());
    design.Apply(kHeight, 300);
    EXPECT_TRUE(design.IsModified());
    design.Undo();
    EXPECT_FALSE(design.IsModified());  // back where it was saved
    design.Undo();
    EXPECT_TRUE(design.IsModified());
    design.Redo();
    EXPECT_FALSE(design.IsModified());
    // Another edit after going back is unsaved.
    design.Undo();
    design.Apply(kIteration, 4);
    EXPECT_TRUE(design.IsModified());
    // A page's own flag is cleared by a save and set by an edit or an undo.
    design.MarkSaved();
    EXPECT_FALSE(design.ScopeModified(TreeDesign::LeafPageScope(0)));
    design.Apply(kLeafHeight, 50);
    EXPECT_TRUE(design.ScopeModified(TreeDesign::LeafPageScope(0)));
    EXPECT_FALSE(design.ScopeModified(TreeDesign::GeneratorScope(0)));
}

TEST_F(TreeDesignTest, EditsThatComeBackToTheSavedValuesLeaveNothingUnsaved) {
    design.MarkSaved();
    design.Apply(kHeight, 300);
    design.Apply(kHeight, 200);  // two steps, back where it was saved
    EXPECT_FALSE(design.IsModified());
    design.Undo();
    EXPECT_TRUE(design.IsModified());
    design.Apply(kHeight, 200);  // the redo is gone, the values are back
    EXPECT_FALSE(design.IsModified());
    // The same values in another file are not saved there.
    design.SetDocument("/elsewhere.xml");
    EXPECT_TRUE(design.IsModified());
}

TEST_F(TreeDesignTest, SaveAsAfterALoadStaysTheFileThroughUndoAndRedoOfTheLoad) {
    test::TempFolder folder;
    design.Apply(kDivision, 7);
    test::WriteFileBytes(folder.File("l.xml"),
                         test::WrittenProject([&](TGXMLFileWriter& writer) { design.WriteSections(writer); }));
    design.ResetAll();
    TGXMLFileReader reader;
    std::string error;
    ASSERT_TRUE(design.Load(reader, folder.File("l.xml"), error, nullptr));
    design.MarkSaved();
    design.SetDocument(folder.File("m.xml"));  // Save As
    design.MarkSaved();
    design.Undo();
    EXPECT_EQ(design.Document(), "");
    EXPECT_TRUE(design.IsModified());
    design.Redo();
    EXPECT_EQ(design.Document(), folder.File("m.xml"));
    EXPECT_FALSE(design.IsModified());
    design.Apply(kIteration, 5);
    EXPECT_EQ(design.Document(), folder.File("m.xml"));
    // Saved as another file before the load: undoing the load gives that file back.
    design.Undo();
    design.Undo();
    design.SetDocument(folder.File("before.xml"));
    design.Redo();
    EXPECT_EQ(design.Document(), folder.File("m.xml"));
    design.Undo();
    EXPECT_EQ(design.Document(), folder.File("before.xml"));
}
TEST_F(TreeDesignTest, TheOldestStepsAreForgottenAndWithThemTheSavedState) {
    design.MarkSaved();
    for (std::size_t i = 0; i < EditQueue::kLimit + 1; ++i) design.Apply(kHeight, i % 2 ? 200 : 201);
    std::size_t undone = 0;
    while (design.Undo()) ++undone;
    EXPECT_EQ(undone, EditQueue::kLimit);
    EXPECT_EQ(design.Get(kHeight), 201);  // the first edit can no longer be undone
    EXPECT_TRUE(design.IsModified());     // nor the saved state reached

    // As the README promises: of 10,000 edits, the last 1,000 can be undone.
    for (int i = 0; i < 10'000; ++i) design.Apply(kHeight, i % 2 ? 300 : 301);
    undone = 0;
    while (design.Undo()) ++undone;
    EXPECT_EQ(undone, 1000u);
    EXPECT_EQ(design.Get(kHeight), 300);  // as after edit 9,000
}

TEST_F(TreeDesignTest, AnEditRebuildsOnlyWhatItMakesStale) {
    design.Apply(kUseLeaf, 1);
    design.Apply(kLeafHeight, 40);
    design.Apply(kDivision, 8);
    design.Apply(kBranchUse, 1);  // the regular generator is not shown
    design.Apply(ParameterId::Base(TreeDesign::kSimple, BaseSetup::kObliqueAngle), 30);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[1].stale, unsigned{kStaleLeaves});
    EXPECT_EQ(changes[2].stale, unsigned{kStaleTreeMesh});
    EXPECT_EQ(changes[3].stale, unsigned{kStaleNothing});
    EXPECT_EQ(changes[4].stale, unsigned{kStaleView});
    EXPECT_EQ(design.View().Division(), 8);
    EXPECT_EQ(design.View().ObliqueAngle(), 30);
    design.Apply(kIteration, 4);
    EXPECT_EQ(changes.back().stale, unsigned{kStaleSkeleton});
    EXPECT_EQ(design.Skeleton().SegmentCount(), 31u);
    // Every change names its parameter, so that only its row is redrawn.
    for (const DesignChange& change : changes) EXPECT_TRUE(change.parameter.has_value());
}

TEST_F(TreeDesignTest, AnEditAboveTheMemoryBudgetIsRefusedAndChangesNothing) {
    design.SetMemoryBudget(1 << 20);
    EXPECT_EQ(design.Apply(kIteration, 20, true), TreeDesign::EditResult::Refused);
    EXPECT_EQ(design.Get(kIteration), 3);
    EXPECT_EQ(design.Skeleton().SegmentCount(), 15u);
    ASSERT_FALSE(changes.empty());
    EXPECT_NE(changes.back().refusal.find("This change was not made"), std::string::npos);
    EXPECT_EQ(changes.back().parameter, kIteration);  // its row shows the kept value again
    design.Undo();
    EXPECT_EQ(design.Get(kIteration), 0);  // the refused edit left no step
    // A hidden generator's edit grows nothing and is not measured; showing that
    // generator then grows nothing either, until an edit brings it within the budget.
    const ParameterId regularIteration = ParameterId::Base(TreeDesign::kRegular, BaseSetup::kIteration);
    for (int level = 0; level < BranchTreeModel::kLevelCount; ++level)
        design.Apply(ParameterId::Branch(TreeDesign::kRegular, level, BranchSetup::FlagIndex(BranchSetup::kUseBranch)),
                     1);
    EXPECT_EQ(design.Apply(regularIteration, 20), TreeDesign::EditResult::Applied);
    design.SetActiveGenerator(TreeDesign::kRegular);
    EXPECT_NE(changes.back().refusal.find("The tree is not shown"), std::string::npos);
    EXPECT_TRUE(design.Skeleton().Empty());
    // Smaller but still too large: taken, still not grown, and not said again.
    EXPECT_EQ(design.Apply(regularIteration, 19), TreeDesign::EditResult::Applied);
    EXPECT_TRUE(changes.back().refusal.empty());
    EXPECT_TRUE(design.Skeleton().Empty());
    EXPECT_EQ(design.Apply(regularIteration, 20), TreeDesign::EditResult::Refused);
    EXPECT_EQ(design.Apply(regularIteration, 2), TreeDesign::EditResult::Applied);
    EXPECT_TRUE(changes.back().refusal.empty());
    EXPECT_GT(design.Skeleton().SegmentCount(), 1u);
}

}  // namespace

// Growing and showing a large design can take seconds: it is said busy from
// before it grows until every observer has shown it, even one that fails. The
// size is the design's after the edit; a smaller design, or a value set
// without growing anything, is not said busy.
TEST_F(TreeDesignTest, ALargeDesignIsSaidBusyUntilItIsShown) {
    std::vector<std::string> events;
    design.AddObserver([&](const DesignChange&) { events.push_back("shown"); });
    design.ShowBusyWith([&](bool busy) { events.push_back(busy ? "busy" : "idle"); });
    design.Apply(kIteration, 4);
    EXPECT_EQ(events, std::vector<std::string>{"shown"}) << "far below ten million triangles";

    design.SetBusyTriangles(MeasureDesign(design.Generator(0), design.LeafModel()).Triangles() + 1);
    events.clear();
    design.Apply(kIteration, 6);
    EXPECT_EQ(events, (std::vector<std::string>{"busy", "shown", "idle"}));
    events.clear();
    design.Apply(kIteration, 4);
    design.Set(kHeight, 300);
    EXPECT_EQ(events, (std::vector<std::string>{"shown", "shown"}));

    // A design beyond the memory budget is not grown (an edit that makes it
    // smaller is taken, the tree withheld): nothing is waited for.
    design.SetBusyTriangles(1);
    design.SetMemoryBudget(1 << 10);
    events.clear();
    EXPECT_EQ(design.Apply(kIteration, 3), TreeDesign::EditResult::Applied);
    EXPECT_TRUE(design.Skeleton().Empty());
    EXPECT_EQ(events, std::vector<std::string>{"shown"});
    design.SetMemoryBudget(std::size_t{1} << 40);

    design.AddObserver([](const DesignChange&) { throw std::runtime_error("the view failed"); });
    events.clear();
    EXPECT_THROW(design.Apply(kIteration, 7), std::runtime_error);
    EXPECT_EQ(events, (std::vector<std::string>{"busy", "shown", "idle"}));
}

// A large growth goes to the runner (the window grows it beside itself, with
// Cancel for an edit); a stopped growth takes the edit back, and the kept
// tree, small again, grows where it is asked. An edit that comes while a
// growth runs is not applied.
TEST_F(TreeDesignTest, ALargeGrowthGoesToTheRunnerAndAStoppedOneTakesTheEditBack) {
    design.Apply(kHeight, 300);
    design.Apply(kIteration, 10);
    const std::size_t segments = design.Skeleton().SegmentCount();
    std::vector<bool> runs;  // whether each run could be cancelled
    ParameterId during = kHeight;
    TreeDesign::EditResult duringResult = TreeDesign::EditResult::Applied;
    design.GrowWith([&](const std::function<void()>&, bool cancellable) {
        runs.push_back(cancellable);
        EXPECT_TRUE(design.Growing());
        duringResult = design.Apply(during, 250);
        throw GrowthStopped();
    });
    const bool couldUndo = design.CanUndo();
    EXPECT_EQ(design.Apply(kIteration, 20), TreeDesign::EditResult::Refused);  // twelve million triangles
    EXPECT_EQ(runs, std::vector<bool>{true});
    EXPECT_EQ(duringResult, TreeDesign::EditResult::Refused);
    EXPECT_FALSE(design.Growing());
    EXPECT_EQ(design.Get(kIteration), 10);
    EXPECT_EQ(design.Get(kHeight), 300);
    EXPECT_EQ(design.Skeleton().SegmentCount(), segments);
    EXPECT_EQ(design.CanUndo(), couldUndo);
    // Small growths never reach the runner.
    EXPECT_EQ(design.Apply(kIteration, 11), TreeDesign::EditResult::Applied);
    EXPECT_EQ(runs.size(), 1u);
}

// A crown growth that may grow many pieces takes long for its triangles: it
// too goes to the runner, a small one does not.
TEST_F(TreeDesignTest, AGreatCrownGrowthGoesToTheRunner) {
    const int regular = TreeDesign::kRegular;
    design.SetActiveGenerator(TreeDesign::kRegular);
    design.Apply(ParameterId::Base(regular, BaseSetup::kIteration), 1);
    design.Apply(ParameterId::Base(regular, BaseSetup::kHeight), 300);
    design.Apply(ParameterId::Branch(regular, 0, BranchSetup::kUseBranch), 1);
    design.Apply(ParameterId::Branch(regular, 0, BranchSetup::kAddAngle), 50);
    int runs = 0;
    design.GrowWith([&](const std::function<void()>& grow, bool) {
        ++runs;
        grow();
    });
    const ParameterId points = ParameterId::Growth(regular, GrowthSetup::kCrownPoints);
    EXPECT_EQ(design.Apply(points, 2000), TreeDesign::EditResult::Applied);
    EXPECT_EQ(runs, 0);
    // Twenty thousand points on three levels: up to 60,000 pieces.
    EXPECT_EQ(design.Apply(points, 20000), TreeDesign::EditResult::Applied);
    EXPECT_EQ(runs, 1);
    EXPECT_LT(MeasureDesign(design.Generator(regular), design.LeafModel()).Triangles(), TreeDesign::kGrowthAsideTriangles);
}

TEST_F(TreeDesignTest, AProjectKeepsWhichGeneratorItShows) {
    test::TempFolder folder;
    auto save = [&](TreeDesign& shown, const std::string& name) {
        test::WriteFileBytes(folder.File(name), test::WrittenProject([&](auto& w) { shown.WriteSections(w); }));
        return test::ReadFileBytes(folder.File(name));
    };
    EXPECT_EQ(save(design, "simple.xml").find("DesignView"), std::string::npos);
    design.SetActiveGenerator(TreeDesign::kComplex);
    const std::string text = save(design, "complex.xml");
    // After the leaf section, before the root's end.
    const std::string view = "   <DesignView>\n      <ShownGenerator>2</ShownGenerator>\n   </DesignView>\n";
    EXPECT_EQ(text.find(view), text.find("</Grovewright_Setup>") - view.size()) << text;

    TreeDesign loaded;
    TGXMLFileReader reader;
    std::string error;
    std::vector<std::string> kept;
    ASSERT_TRUE(loaded.Load(reader, folder.File("complex.xml"), error, &kept)) << error;
    EXPECT_EQ(loaded.ActiveGenerator(), TreeDesign::kComplex);
    EXPECT_EQ(save(loaded, "again.xml"), text);
    // Undo shows the generator shown before the load, and regrows its tree.
    loaded.Undo();
    EXPECT_EQ(loaded.ActiveGenerator(), TreeDesign::kSimple);
    EXPECT_EQ(loaded.Skeleton().SegmentCount(), 1u);
    loaded.Redo();
    // A file without the element is a simple design: it is shown on the simple generator.
    ASSERT_TRUE(loaded.Load(reader, folder.File("simple.xml"), error, &kept)) << error;
    EXPECT_EQ(loaded.ActiveGenerator(), TreeDesign::kSimple);
    EXPECT_GT(loaded.Skeleton().SegmentCount(), 0u);
    // A value out of range is refused and named.
    std::string wrong = text;
    wrong.replace(wrong.find("<ShownGenerator>2"), 17, "<ShownGenerator>7");
    test::WriteFileBytes(folder.File("wrong.xml"), wrong);
    TreeDesign other;
    ASSERT_TRUE(other.Load(reader, folder.File("wrong.xml"), error, &kept)) << error;
    EXPECT_EQ(other.ActiveGenerator(), TreeDesign::kSimple);
    EXPECT_EQ(kept, std::vector<std::string>{"DesignView"});
}

namespace {

// Every table, with its record's name for the messages.
template <typename Record>
void ExpectRowsExplainThemselves(const char* record) {
    for (const Parameter& parameter : Record::kParameters) {
        SCOPED_TRACE(std::string(record) + "." + parameter.name);
        const std::string help = parameter.help ? parameter.help : "";
        ASSERT_GT(help.size(), 20u);
        if (parameter.IsFlag()) continue;
        // The range as the row shows it ("5.00" for 5.00 m, "1.00", "360").
        std::string top = FormatValue(parameter.format, parameter.range.max);
        if (top.size() > 2 && top.compare(top.size() - 2, 2, " m") == 0) top.resize(top.size() - 2);
        EXPECT_NE(help.find(top), std::string::npos) << help;
    }
}

}  // namespace

TEST(ParameterTables, EveryRowExplainsWhatItDoesWithItsRange) {
    ExpectRowsExplainThemselves<BaseSetup>("BaseSetup");
    ExpectRowsExplainThemselves<SimpleSetup>("SimpleSetup");
    ExpectRowsExplainThemselves<BranchSetup>("BranchSetup");
    ExpectRowsExplainThemselves<LeafSetup>("LeafSetup");
}

TEST_F(TreeDesignTest, TheInitialDesignIsSavedAsItAlwaysWas) {
    // Length and FNV-1a hash of the file the program wrote before the shown generator was saved.
    auto fingerprint = [](const std::string& text) {
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3u;
        return std::pair{text.size(), hash};
    };
    const std::pair<std::size_t, std::uint64_t> before{30151, 0xfc9f2d94412cec84u};
    TreeDesign initial;
    auto saved = [&] { return fingerprint(test::WrittenProject([&](auto& w) { initial.WriteSections(w); })); };
    EXPECT_EQ(saved(), before);
    // Shown on another tab and back: the same bytes.
    initial.SetActiveGenerator(TreeDesign::kRegular);
    initial.SetActiveGenerator(TreeDesign::kSimple);
    EXPECT_EQ(saved(), before);
}

TEST_F(TreeDesignTest, AnExportThatWouldNotFitTheBudgetBesideTheDesignIsRefused) {
    design.Apply(kIteration, 12);
    const DesignSize size = MeasureDesign(design.Generator(design.ActiveGenerator()), design.LeafModel());
    DesignSize::ExportNeeds levels;
    levels.levelsOfDetail = true;
    // The design fits; its levels of detail, which need the off-screen pictures too, do not.
    design.SetMemoryBudget(size.memoryBytes + size.ExportBytes({}) + (1 << 20));
    EXPECT_EQ(design.ExportRefusal({}), "");
    const std::string refusal = design.ExportRefusal(levels);
    EXPECT_NE(refusal.find("the export would need about"), std::string::npos) << refusal;
    design.SetMemoryBudget(size.memoryBytes + size.ExportBytes(levels));
    EXPECT_EQ(design.ExportRefusal(levels), "");
}
