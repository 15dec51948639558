#include "generators/TreeDesign.h"

#include <algorithm>
#include <chrono>

#include "generators/DesignSize.h"
#include "generators/GrowthStop.h"
#include "generators/ParameterKey.h"
#include "generators/ProjectLoader.h"

namespace grovewright {

TreeDesign::TreeDesign() : generators_{&simple_, &regular_, &complex_}, memoryBudget_(ProcessMemoryBudget()) {
    for (int g = 0; g < kGeneratorCount; ++g) {
        for (int i = 0; i < BaseSetup::kCount; ++i) allParameters_.push_back(ParameterId::Base(g, i));
        for (int i = 0; i < GrowthSetup::kCount; ++i) allParameters_.push_back(ParameterId::Growth(g, i));
        if (g != kSimple)
            for (int level = 0; level < BranchTreeModel::kLevelCount; ++level)
                for (int i = 0; i < BranchSetup::kCount; ++i)
                    allParameters_.push_back(ParameterId::Branch(g, level, i));
    }
    for (int i = 0; i < SimpleSetup::kCount; ++i) allParameters_.push_back(ParameterId::Simple(i));
    for (int page = 0; page < LeafGeneratorModel::kPageCount; ++page)
        for (int i = 0; i < LeafSetup::kCount; ++i) allParameters_.push_back(ParameterId::Leaf(page, i));
    savedValues_ = Values();
}

template <typename F>
auto TreeDesign::Visit(const ParameterId& id, F&& f) {
    return DesignRecords{simple_, regular_, complex_, leafModel_}.Visit(id, std::forward<F>(f));
}

const Parameter& TreeDesign::Describe(const ParameterId& id) { return DescribeParameter(id); }

int TreeDesign::Get(const ParameterId& id) const {
    return const_cast<TreeDesign*>(this)->Visit(id, [&](const auto& record) { return record.GetParameter(id.index); });
}

bool TreeDesign::Set(const ParameterId& id, long value) {
    const int before = Get(id);
    if (!Visit(id, [&](auto& record) { return record.SetParameter(id.index, value); })) return false;
    // No edit: a value that was as saved still counts as saved.
    const auto at = static_cast<std::size_t>(std::find(allParameters_.begin(), allParameters_.end(), id) -
                                             allParameters_.begin());
    if (savedValues_[at] == before) savedValues_[at] = static_cast<int>(value);
    // The tree's tilt and turn reach the view at once, as they always have.
    if (id.record == Record::Base && id.index == BaseSetup::kObliqueAngle) view_.SetObliqueAngle(Get(id));
    if (id.record == Record::Base && id.index == BaseSetup::kOrientationAngle) view_.SetOrientationAngle(Get(id));
    Notify({id, true, kStaleNothing, {}});
    return true;
}

int TreeDesign::ScopeOf(const ParameterId& id) {
    switch (id.record) {
        case Record::Branch:
            return BranchPageScope(id.generator, id.page);
        case Record::Leaf:
            return LeafPageScope(id.page);
        default:
            return GeneratorScope(id.generator);
    }
}

unsigned TreeDesign::StaleFor(const ParameterId& id) const {
    if (id.record != Record::Leaf && id.generator != active_) return kStaleNothing;
    return Describe(id).stale;
}

unsigned TreeDesign::Refresh(unsigned stale, std::string& refusal, const std::optional<ParameterId>& parameter) {
    leavesRewritten_ = false;
    if ((stale & kStaleLeaves) == kStaleLeaves) {
        if (const std::size_t needed = NeededMemory(); needed > memoryBudget_) {
            // Never grown beyond the budget: the view shows nothing until the
            // design is smaller. Said once, not at every step of a drag.
            if (!treeWithheld_)
                refusal = "The tree is not shown: " + DescribeNeed(needed) + ". Make it smaller to see it.";
            treeWithheld_ = true;
            skeleton_.Clear();
            leaves_.Clear();
            return stale | kStaleSkeleton;
        }
        treeWithheld_ = false;
    }
    if ((stale & kStaleSkeleton) == kStaleSkeleton) {
        generators_[active_]->Rebuild(skeleton_);
        leafModel_.Generate(skeleton_, leaves_, LeafSeed());
    } else if ((stale & kStaleLeaves) == kStaleLeaves) {
        leavesRewritten_ = parameter && parameter->record == Record::Leaf &&
                           LeafGeneratorModel::KeepsPlaces(parameter->index) &&
                           leafModel_.RegeneratePage(skeleton_, leaves_, parameter->page, rewrittenLeaves_,
                                                     LeafSeed());
        if (!leavesRewritten_) leafModel_.Generate(skeleton_, leaves_, LeafSeed());
    }
    if (stale & kStaleTreeMesh) view_.Take(generators_[active_]->Base());
    return stale;
}

void TreeDesign::SetActiveGenerator(int g) {
    active_ = g;
    Rebuild();
}

void TreeDesign::Rebuild() { Refreshed(std::nullopt, false, kStaleSkeleton); }

void TreeDesign::Refreshed(std::optional<ParameterId> parameter, bool valuesChanged, unsigned stale,
                           bool texturesChanged) {
    // Said busy until the observers have shown the change, even if one throws.
    struct BusyWhile {
        const std::function<void(bool)>* busy;
        ~BusyWhile() {
            if (busy) (*busy)(false);
        }
    } busyWhile{nullptr};
    // A design beyond the memory budget is not grown: no work to wait for.
    const DesignSize size = MeasureDesign(*generators_[active_], leafModel_);
    const bool grows = stale != kStaleNothing && size.memoryBytes <= memoryBudget_;
    if (busy_ && grows && size.Triangles() >= busyTriangles_) {
        busy_(true);
        busyWhile.busy = &busy_;
    }
    DesignChange change{parameter, valuesChanged, kStaleNothing, {}};
    change.texturesChanged = texturesChanged;
    change.dragging = applyingDrag_;
    const auto start = std::chrono::steady_clock::now();
    try {
        GrowAside([&] { change.stale = Refresh(stale, change.refusal, parameter); }, grows ? size.GrowthWork() : 0,
                  editing_);
    } catch (const GrowthStopped&) {
        // Cancelled: the edit is taken back and its tree grown again as it was.
        editCancelled_ = true;
        return;
    }
    change.rebuildMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (leavesRewritten_) change.leafPolygonsChanged = &rewrittenLeaves_;
    Notify(change);
}

void TreeDesign::GrowAside(const std::function<void()>& grow, std::size_t work, bool cancellable) {
    if (!growthRunner_ || work < kGrowthAsideTriangles) {
        grow();
        return;
    }
    growing_ = true;
    try {
        growthRunner_(grow, cancellable);
    } catch (...) {
        growing_ = false;
        throw;
    }
    growing_ = false;
}

std::size_t TreeDesign::NeededMemory() const { return MeasureDesign(*generators_[active_], leafModel_).memoryBytes; }

std::string TreeDesign::ExportRefusal(const DesignSize::ExportNeeds& needs) const {
    const DesignSize size = MeasureDesign(*generators_[active_], leafModel_);
    const std::size_t needed = size.memoryBytes + size.ExportBytes(needs);
    if (needed <= memoryBudget_) return {};
    const auto [need, budget] = FormatBytesApart(needed, memoryBudget_);
    return "the export would need about " + need + " of memory with the design, more than the " + budget +
           " allowed";
}

std::string TreeDesign::DescribeNeed(std::size_t needed) const {
    const auto [need, budget] = FormatBytesApart(needed, memoryBudget_);
    return "the design would need about " + need + " of memory, more than the " + budget + " allowed";
}

TreeDesign::EditResult TreeDesign::Apply(const ParameterId& id, long value, bool dragging) {
    if (!Describe(id).range.Contains(value)) return EditResult::OutOfRange;
    // A move queued before a long growth began is dropped, not applied after
    // it: observers show the kept value again.
    if (growing_) {
        Notify({id, true, kStaleNothing, {}});
        return EditResult::Refused;
    }
    const int before = Get(id);
    if (value == before) {
        if (!dragging) queue_.Seal();
        return EditResult::Unchanged;
    }
    const int after = static_cast<int>(value);
    const unsigned stale = StaleFor(id);
    const std::size_t neededBefore = stale != kStaleNothing ? NeededMemory() : 0;
    Visit(id, [&](auto& record) { return record.SetParameter(id.index, after); });
    if (stale != kStaleNothing) {
        // A design above the budget may still be made smaller, never larger.
        if (const std::size_t needed = NeededMemory(); needed > memoryBudget_ && needed > neededBefore) {
            Visit(id, [&](auto& record) { return record.SetParameter(id.index, before); });
            Notify({id, true, kStaleNothing, "This change was not made: " + DescribeNeed(needed) + "."});
            return EditResult::Refused;
        }
    }
    const bool merged = dragging && queue_.Merge(id, after);
    if (!merged) {
        EditStep step;
        step.edits.push_back({id, before, after});
        queue_.Push(std::move(step), dragging);
    }
    scopeModified_[ScopeOf(id)] = true;
    editing_ = true;
    editCancelled_ = false;
    applyingDrag_ = dragging;
    dragOpen_ = dragOpen_ || dragging;
    Refreshed(id, true, stale);
    applyingDrag_ = false;
    editing_ = false;
    if (!editCancelled_) return EditResult::Applied;
    // Taken back: the value, the undo step and the tree as they were; the view
    // still shows that tree, so nothing is drawn anew.
    Visit(id, [&](auto& record) { return record.SetParameter(id.index, before); });
    if (merged)
        queue_.Merge(id, before);
    else
        queue_.DropLast();
    std::string ignored;
    const DesignSize kept = MeasureDesign(*generators_[active_], leafModel_);
    GrowAside([&] { Refresh(stale, ignored, id); }, kept.GrowthWork(), false);
    Notify({id, true, kStaleNothing, {}});
    return EditResult::Refused;
}

void TreeDesign::EndDrag() {
    queue_.Seal();
    if (!dragOpen_) return;
    dragOpen_ = false;
    DesignChange change;
    change.dragEnded = true;
    Notify(change);
}

std::vector<int> TreeDesign::Values() const {
    std::vector<int> values;
    values.reserve(allParameters_.size());
    for (const ParameterId& id : allParameters_) values.push_back(Get(id));
    return values;
}

template <typename Change>
bool TreeDesign::Replace(Change&& change, const std::string* document) {
    const std::vector<int> before = Values();
    const int shownBefore = active_;
    const TextureChoice texturesBefore = textures_;
    if (!change()) return false;
    const std::vector<int> after = Values();
    EditStep step;
    unsigned stale = kStaleNothing;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        step.edits.push_back({allParameters_[i], before[i], after[i]});
        stale |= StaleFor(allParameters_[i]);
    }
    if (document && *document != document_) {
        step.changesDocument = true;
        step.documentBefore = document_;
        step.documentAfter = *document;
        document_ = *document;
    }
    step.shownBefore = shownBefore;
    step.shownAfter = active_;
    step.texturesBefore = texturesBefore;
    step.texturesAfter = textures_;
    const bool texturesChanged = texturesBefore != textures_;
    if (step.edits.empty() && !step.changesDocument && shownBefore == active_ && !texturesChanged) {
        queue_.Seal();
    } else {
        queue_.Push(std::move(step), false);
    }
    // A reset or a load regrows the shown tree even when no value changed.
    Refreshed(std::nullopt, true, stale | kStaleSkeleton, texturesChanged);
    return true;
}

void TreeDesign::ResetGenerator(int g) {
    Replace([&] {
        generators_[g]->Reset();
        return true;
    });
}

void TreeDesign::ResetAllGenerators() {
    Replace([&] {
        for (TreeGeneratorModel* generator : generators_) generator->Reset();
        return true;
    });
}

void TreeDesign::ResetLeaves() {
    Replace([&] {
        leafModel_.Reset();
        return true;
    });
}

void TreeDesign::ResetAll() { ResetEverything(nullptr); }

void TreeDesign::NewDocument() {
    const std::string none;
    ResetEverything(&none);
}

void TreeDesign::ResetEverything(const std::string* document) {
    Replace(
        [&] {
            for (TreeGeneratorModel* generator : generators_) generator->Reset();
            leafModel_.Reset();
            // A new project starts with the built-in textures; Reset All keeps the chosen ones.
            if (document) textures_ = TextureChoice();
            return true;
        },
        document);
}

bool TreeDesign::Load(TGXMLFileReader& reader, const std::string& path, std::string& error,
                      std::vector<std::string>* keptPrevious, bool asDocument) {
    return LoadReplacing(reader, path, error, keptPrevious, asDocument ? &path : nullptr);
}

bool TreeDesign::LoadAsNew(TGXMLFileReader& reader, const std::string& path, std::string& error) {
    const std::string none;
    return LoadReplacing(reader, path, error, nullptr, &none);
}

bool TreeDesign::LoadReplacing(TGXMLFileReader& reader, const std::string& path, std::string& error,
                               std::vector<std::string>* keptPrevious, const std::string* document) {
    const std::vector<TreeGeneratorModel*> generators(generators_.begin(), generators_.end());
    return Replace(
        [&] {
            DesignViewValues view;
            if (!LoadProject(reader, path, generators, error, &leafModel_, keptPrevious, &view)) return false;
            // A file that does not say which generator it shows is a simple design
            // (the simple generator's page is saved without it); a file without
            // textures shows the built-in ones. A refused DesignView changes neither.
            if (view.read) {
                active_ = view.shownGenerator >= 0 ? view.shownGenerator : kSimple;
                textures_ = view.textures;
            }
            return true;
        },
        document);
}

void TreeDesign::WriteSections(TGXMLFileWriter& writer) const {
    for (const TreeGeneratorModel* generator : generators_) generator->WriteSetup(writer);
    leafModel_.WriteSetup(writer);
    WriteDesignView(writer, active_, textures_);
}

void TreeDesign::Revert(const EditStep& step, bool undo) {
    if (step.changesDocument) document_ = undo ? step.documentBefore : step.documentAfter;
    unsigned stale = kStaleNothing;
    if (step.shownBefore != step.shownAfter) {
        active_ = undo ? step.shownBefore : step.shownAfter;
        stale = kStaleSkeleton;
    }
    const bool texturesChanged = step.texturesBefore != step.texturesAfter;
    if (texturesChanged) textures_ = undo ? step.texturesBefore : step.texturesAfter;
    for (const ParameterEdit& edit : step.edits) {
        Visit(edit.id,
              [&](auto& record) { return record.SetParameter(edit.id.index, undo ? edit.before : edit.after); });
        scopeModified_[ScopeOf(edit.id)] = true;
        stale |= StaleFor(edit.id);
    }
    std::optional<ParameterId> parameter;
    if (step.edits.size() == 1) parameter = step.edits.front().id;
    // A texture choice alone changed no value.
    const bool texturesOnly = step.edits.empty() && !step.changesDocument && step.shownBefore == step.shownAfter;
    Refreshed(parameter, !texturesOnly, stale, texturesChanged);
}

bool TreeDesign::Undo() {
    const EditStep* step = queue_.Undo();
    if (step) Revert(*step, true);
    return step != nullptr;
}

bool TreeDesign::Redo() {
    const EditStep* step = queue_.Redo();
    if (step) Revert(*step, false);
    return step != nullptr;
}

void TreeDesign::SetDocument(const std::string& path) {
    document_ = path;
    queue_.RenameDocument(path);
}

void TreeDesign::ChooseTextures(const TextureChoice& textures) {
    if (textures == textures_) return;
    EditStep step;
    step.shownBefore = step.shownAfter = active_;
    step.texturesBefore = textures_;
    step.texturesAfter = textures;
    textures_ = textures;
    queue_.Push(std::move(step), false);
    DesignChange change;
    change.texturesChanged = true;
    Notify(change);
}

void TreeDesign::MarkSaved() {
    savedValues_ = Values();
    savedDocument_ = document_;
    savedTextures_ = textures_;
    queue_.Seal();
    scopeModified_.fill(false);
    Notify({std::nullopt, false, kStaleNothing, {}});
}

void TreeDesign::SetLight(const LightSettings& light) {
    light_ = light;
    DesignChange change;
    change.lightChanged = true;
    Notify(change);
}

void TreeDesign::Notify(const DesignChange& change) {
    for (const Observer& observer : observers_) observer(change);
}

}  // namespace grovewright
