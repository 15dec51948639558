#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "generators/BranchTreeModel.h"
#include "generators/DesignSize.h"
#include "generators/EditQueue.h"
#include "generators/LeafGenerator.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "render/TreeViewParameters.h"

namespace grovewright {

class TGXMLFileReader;
class TGXMLFileWriter;

// What an edit changed, as its observers are told.
struct DesignChange {
    // The one parameter whose value changed; none when any may have (a reset, a
    // load, an undo of either), or when only the shown generator changed.
    std::optional<ParameterId> parameter;
    bool valuesChanged = false;
    // What was rebuilt and must be drawn anew (Stale bits).
    unsigned stale = kStaleNothing;
    // Set when an edit was refused: why. The parameter kept its value.
    std::string refusal;
    // The light changed (nothing else did).
    bool lightChanged = false;
    // The design's texture choice changed.
    bool texturesChanged = false;
    // Set when the leaves changed in these polygons of the leaf list only, all
    // leaves keeping their number and places: their mesh may be rewritten there.
    const std::vector<std::uint32_t>* leafPolygonsChanged = nullptr;
    // The edit is a step of a slider's drag (more are coming until dragEnded).
    bool dragging = false;
    // A drag is over (nothing else changed): the view draws in full again.
    bool dragEnded = false;
    // How long regrowing the design for this change took.
    double rebuildMilliseconds = 0;
};

// The light the view shines on the tree: not part of the saved design.
struct LightSettings {
    float ambient = 1.0f;
    float diffuse = 1.0f;
    float position[3] = {0.0f, 0.0f, 0.0f};

    // Where the base page's light slider starts: 90 degrees, the light from above.
    static constexpr int kSliderStart = 90;
    // The position the base page's light slider gives: (100, 0, -20) turned about z by its degrees.
    static Vector3D PositionForSlider(int degrees) { return Vector3D(100, 0, -20).RotateZ(degrees); }
    // The light of a base page whose sliders are at their start values (light
    // from above; ambient and diffuse 100 %).
    static LightSettings PageStart() {
        const Vector3D p = PositionForSlider(kSliderStart);
        return {1.0f, 1.0f, {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)}};
    }
};

// The whole design: the three tree generators, the leaf generator, the tree of
// the generator shown (skeleton and leaves) and the view's mesh values. Every
// edit enters through Apply (or a whole-design edit such as a reset or a load),
// which validates through the parameter tables, rebuilds exactly what the edit
// makes stale, records an undo step and tells the observers.
class TreeDesign {
public:
    static constexpr int kSimple = 0, kRegular = 1, kComplex = 2, kGeneratorCount = 3;

    TreeDesign();
    TreeDesign(const TreeDesign&) = delete;
    TreeDesign& operator=(const TreeDesign&) = delete;

    const TreeGeneratorModel& Generator(int g) const { return *generators_[g]; }
    const SimpleTreeModel& Simple() const { return simple_; }
    const BranchTreeModel& Branches(int g) const { return const_cast<TreeDesign*>(this)->BranchModel(g); }
    const LeafGeneratorModel& LeafModel() const { return leafModel_; }
    const SkeletonLevels& Skeleton() const { return skeleton_; }
    const LeafStore& Leaves() const { return leaves_; }
    const TreeViewParameters& View() const { return view_; }
    // The view's values, for the view's own setters.
    TreeViewParameters& View() { return view_; }

    // The generator whose tree is grown and shown.
    int ActiveGenerator() const { return active_; }
    // Shows generator g: grows its tree and the leaves on it.
    void SetActiveGenerator(int g);
    // Grows the shown generator's tree and the leaves again.
    void Rebuild();
    // The shown generator's tree is above the memory budget and was not grown.
    bool TreeWithheld() const { return treeWithheld_; }
    // Why an export with these needs would not fit the memory budget beside the
    // design as the window holds it ("the export would need ..."); empty when it fits.
    std::string ExportRefusal(const DesignSize::ExportNeeds& needs) const;

    // The table row of a parameter.
    static const Parameter& Describe(const ParameterId& id);
    int Get(const ParameterId& id) const;
    // Stores a value inside the parameter's range without rebuilding and without
    // an undo step (the generators' setters); observers see the new value. It is
    // no edit: it leaves the design as saved or unsaved as it was.
    bool Set(const ParameterId& id, long value);

    enum class EditResult { Applied, Unchanged, OutOfRange, Refused };
    // A user's edit. A value outside the parameter's range changes nothing. A
    // value that would make the shown design larger than the memory budget is
    // refused: the parameter keeps its value and observers are told why.
    // dragging: part of a slider drag, whose edits of one parameter make one
    // undo step until EndDrag.
    EditResult Apply(const ParameterId& id, long value, bool dragging = false);
    // The drag is over: its edits are one undo step, and observers hear of it
    // (when a drag applied anything).
    void EndDrag();
    // An edit is being applied: its observers are being told (and draw it).
    bool Editing() const { return editing_; }
    // Called by an observer while an edit is applied (the user cancelled the
    // drawing of its tree): the edit is taken back as if refused, without a
    // message; the observers are told the parameter's value again.
    void CancelEdit() { editCancelled_ = true; }

    // Whole-design edits, one undo step each.
    void ResetGenerator(int g);
    void ResetAllGenerators();
    void ResetLeaves();
    // Every generator and the leaves (Reset All).
    void ResetAll();
    // ResetAll for a new project: the design then belongs to no file.
    void NewDocument();
    // Loads a project as the Load command does (see LoadProject); nothing changes
    // and false when the file cannot be loaded. asDocument: the design then
    // belongs to that file. A file that names the generator it shows (its
    // DesignView element) makes that generator the shown one.
    bool Load(TGXMLFileReader& reader, const std::string& path, std::string& error,
              std::vector<std::string>* keptPrevious, bool asDocument = true);
    // Loads a project (an example) as a new design that belongs to no file.
    bool LoadAsNew(TGXMLFileReader& reader, const std::string& path, std::string& error);

    // The textures the design is shown with: an edit of their own, one undo step,
    // reset by a new project and replaced by a load.
    const TextureChoice& Textures() const { return textures_; }
    void ChooseTextures(const TextureChoice& textures);

    // The project file the design belongs to (loaded from or saved as); empty
    // for a new or restored design. Undoing a load or a new project gives the
    // design back its file, so that Save never writes a design into another's file.
    const std::string& Document() const { return document_; }
    // The design was saved as path (Save As): undo and redo keep it the design's file.
    void SetDocument(const std::string& path);

    // Every generator's section and the leaf pages, and which generator is shown
    // when it is not the simple one: the body of a project file.
    void WriteSections(TGXMLFileWriter& writer) const;

    bool CanUndo() const { return queue_.CanUndo(); }
    bool CanRedo() const { return queue_.CanRedo(); }
    bool Undo();
    bool Redo();

    // Unsaved changes: the design's values or file are not as they were when it
    // was last saved or loaded, however it came back to them.
    bool IsModified() const {
        return document_ != savedDocument_ || textures_ != savedTextures_ || Values() != savedValues_;
    }
    // Saved or loaded now: clears every page's modified flag too.
    void MarkSaved();

    // A page's modified flag: an edit (or its undo or redo) touched the page
    // since the flag was last cleared. Scopes: a generator's own rows, one
    // branch page, one leaf page.
    static int GeneratorScope(int g) { return g; }
    static int BranchPageScope(int g, int level) {
        return kGeneratorCount + (g - 1) * BranchTreeModel::kLevelCount + level;
    }
    static int LeafPageScope(int page) { return kGeneratorCount + 2 * BranchTreeModel::kLevelCount + page; }
    bool ScopeModified(int scope) const { return scopeModified_[scope]; }
    void ClearScope(int scope) { scopeModified_[scope] = false; }

    // Edits whose design would need more memory than this are refused; the
    // default is half of the physical memory.
    void SetMemoryBudget(std::size_t bytes) { memoryBudget_ = bytes; }
    std::size_t MemoryBudget() const { return memoryBudget_; }

    const LightSettings& Light() const { return light_; }
    // A light change is no edit: no undo step, no unsaved changes.
    void SetLight(const LightSettings& light);

    using Observer = std::function<void(const DesignChange&)>;
    void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }
    // Told true before and false after an edit, load or rebuild of a design of
    // at least busyTriangles triangles, its tree and leaves made and shown (the
    // window shows a busy cursor meanwhile: that can take seconds).
    void ShowBusyWith(std::function<void(bool)> busy) { busy_ = std::move(busy); }
    // Runs grow, the growth of a design whose growth work (DesignSize::GrowthWork)
    // is kGrowthAsideTriangles or more, and
    // returns when it has ended (rethrowing what it threw): the window grows it
    // on a thread of its own and shows its progress meanwhile, with Cancel when
    // cancellable (an edit), which asks the growth to stop (GrowthStop): the
    // edit is then taken back. Without a runner growth runs where it is asked.
    using GrowthRunner = std::function<void(const std::function<void()>& grow, bool cancellable)>;
    void GrowWith(GrowthRunner runner) { growthRunner_ = std::move(runner); }
    // A growth is under way on another thread: skeleton and leaves are not to be read.
    bool Growing() const { return growing_; }
    // About a second to grow on a processor.
    static constexpr std::size_t kGrowthAsideTriangles = 5000000;
    void SetBusyTriangles(std::size_t triangles) { busyTriangles_ = triangles; }
    // Ten million triangles take a second or more to grow and draw on a processor.
    static constexpr std::size_t kBusyTriangles = 10000000;

private:
    static constexpr int kScopeCount =
        kGeneratorCount + 2 * BranchTreeModel::kLevelCount + LeafGeneratorModel::kPageCount;

    BranchTreeModel& BranchModel(int g) {
        if (g == kRegular) return regular_;
        return complex_;
    }
    // Calls f with the record that holds id.
    template <typename F>
    auto Visit(const ParameterId& id, F&& f);
    static int ScopeOf(const ParameterId& id);
    // What an edit of id makes stale in the shown design.
    unsigned StaleFor(const ParameterId& id) const;
    // Rebuilds what stale names and returns what the view must draw anew. A tree
    // above the memory budget is not grown: the skeleton and the leaves are
    // emptied and refusal says why. The leaves of one page whose edit (parameter)
    // keeps every leaf's place are rewritten in place: rewrittenLeaves_ says where.
    unsigned Refresh(unsigned stale, std::string& refusal, const std::optional<ParameterId>& parameter);
    // Refresh, then tells the observers.
    // Whether the edit being applied is a step of a drag; whether a drag has
    // applied a step since the last EndDrag.
    bool applyingDrag_ = false;
    bool dragOpen_ = false;
    void Refreshed(std::optional<ParameterId> parameter, bool valuesChanged, unsigned stale,
                   bool texturesChanged = false);
    // The seed of the leaves' own numbers: the shown generator's growth seed.
    std::uint64_t LeafSeed() const {
        return LeafGeneratorModel::Seed(generators_[active_]->Growth().Seed(), active_);
    }
    // The memory the shown generator's tree and its leaves would take.
    std::size_t NeededMemory() const;
    // "the design would need about 3.2 GB of memory, more than the 1.0 GB allowed".
    std::string DescribeNeed(std::size_t needed) const;
    // Every parameter's value, in the order of AllParameters.
    std::vector<int> Values() const;
    // Runs a change of many parameters (false: it did not happen) as one undo
    // step, then regrows the shown tree. document, when given, becomes the
    // design's file with the same step.
    template <typename Change>
    bool Replace(Change&& change, const std::string* document = nullptr);
    // Load, the design's file becoming document when one is given.
    bool LoadReplacing(TGXMLFileReader& reader, const std::string& path, std::string& error,
                       std::vector<std::string>* keptPrevious, const std::string* document);
    // Every generator and the leaves back to their defaults; document as in Replace.
    void ResetEverything(const std::string* document);
    // Sets the edits' before (undo) or after values, marks their pages and tells the observers.
    void Revert(const EditStep& step, bool undo);
    void Notify(const DesignChange& change);
    // Runs grow, the growth of a design of this many triangles: through the
    // growth runner when it is large (see GrowWith), else here.
    void GrowAside(const std::function<void()>& grow, std::size_t work, bool cancellable);

    SimpleTreeModel simple_;
    RegularTreeModel regular_;
    ComplexTreeModel complex_;
    std::array<TreeGeneratorModel*, kGeneratorCount> generators_;
    LeafGeneratorModel leafModel_;
    SkeletonLevels skeleton_;
    LeafStore leaves_;
    // The polygons the last Refresh rewrote in place, when it did.
    std::vector<std::uint32_t> rewrittenLeaves_;
    bool leavesRewritten_ = false;
    TreeViewParameters view_;
    LightSettings light_;
    std::string document_;
    TextureChoice textures_;
    // The values, file and textures of the design when it was last saved or loaded.
    std::vector<int> savedValues_;
    std::string savedDocument_;
    TextureChoice savedTextures_;
    int active_ = kSimple;
    // The shown generator's tree is above the budget and was not grown.
    bool treeWithheld_ = false;
    bool editing_ = false;
    bool editCancelled_ = false;
    EditQueue queue_;
    std::array<bool, kScopeCount> scopeModified_{};
    std::size_t memoryBudget_;
    std::vector<ParameterId> allParameters_;
    std::vector<Observer> observers_;
    std::function<void(bool)> busy_;
    std::size_t busyTriangles_ = kBusyTriangles;
    GrowthRunner growthRunner_;
    bool growing_ = false;
};

}  // namespace grovewright
