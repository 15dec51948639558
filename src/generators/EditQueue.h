#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "generators/TextureChoice.h"

namespace grovewright {

// Which record a parameter belongs to, and where that record is in the design.
enum class Record { Base, Simple, Branch, Leaf, Growth };

struct ParameterId {
    Record record = Record::Base;
    int generator = 0;  // Base, Simple, Branch and Growth: the tree generator (0 simple, 1 regular, 2 complex)
    int page = 0;       // Branch: level 0 .. 19; Leaf: page 0 .. 19
    int index = 0;      // into the record's parameter table

    static ParameterId Base(int generator, int index) { return {Record::Base, generator, 0, index}; }
    static ParameterId Simple(int index) { return {Record::Simple, 0, 0, index}; }
    static ParameterId Branch(int generator, int page, int index) { return {Record::Branch, generator, page, index}; }
    static ParameterId Leaf(int page, int index) { return {Record::Leaf, 0, page, index}; }
    static ParameterId Growth(int generator, int index) { return {Record::Growth, generator, 0, index}; }

    bool operator==(const ParameterId& o) const {
        return record == o.record && generator == o.generator && page == o.page && index == o.index;
    }
    bool operator!=(const ParameterId& o) const { return !(*this == o); }
};

// One parameter's value before and after an edit.
struct ParameterEdit {
    ParameterId id;
    int before;
    int after;
};

// One undo step: a single parameter edit (a merged drag included), or every
// parameter a reset or a load changed, and for a load or a new project the
// project file the design belonged to before and after, the generator shown and
// the textures; or a texture choice alone.
struct EditStep {
    std::vector<ParameterEdit> edits;
    bool changesDocument = false;
    std::string documentBefore, documentAfter;
    // The generator shown before and after (a load of a file that names it).
    int shownBefore = 0, shownAfter = 0;
    // The textures before and after (a texture choice, a load, a new project).
    TextureChoice texturesBefore, texturesAfter;
};

// The design's undo and redo: the steps done so far and the position between
// done and undone steps.
class EditQueue {
public:
    // The oldest steps are forgotten beyond this many.
    static constexpr std::size_t kLimit = 1000;

    // Appends a done step, forgetting every undone one. An open step (a drag in
    // progress) takes later edits of the same parameter through Merge.
    void Push(EditStep step, bool open);
    // Folds a further edit of the same parameter into the open last step; false
    // when there is none or it is another parameter's. A step whose edits come
    // back to where they started is dropped.
    bool Merge(const ParameterId& id, int after);
    // Forgets the last step, just pushed by an edit that was then taken back.
    void DropLast();
    // Closes the last step: later edits start steps of their own.
    void Seal() { open_ = false; }

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // The step to revert, or null; moves the position back.
    const EditStep* Undo();
    // The step to do again, or null; moves the position on.
    const EditStep* Redo();

    // The design at the position was saved as path: the steps that lead into and
    // out of its run of positions (the run between two loads or new projects)
    // name path instead, so that undo and redo never take Save back to an older file.
    void RenameDocument(const std::string& path);

private:
    std::deque<EditStep> steps_;
    std::size_t position_ = 0;
    bool open_ = false;
};

}  // namespace grovewright
