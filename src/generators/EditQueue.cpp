#include "generators/EditQueue.h"

namespace grovewright {

void EditQueue::Push(EditStep step, bool open) {
    steps_.erase(steps_.begin() + static_cast<long>(position_), steps_.end());
    if (saved_ > static_cast<long>(position_)) saved_ = -1;
    steps_.push_back(std::move(step));
    ++position_;
    if (steps_.size() > kLimit) {
        steps_.pop_front();
        --position_;
        if (saved_ >= 0) --saved_;
    }
    open_ = open;
}

bool EditQueue::Merge(const ParameterId& id, int after) {
    if (!open_ || position_ == 0 || position_ != steps_.size()) return false;
    EditStep& last = steps_.back();
    if (last.edits.size() != 1 || last.edits.front().id != id) return false;
    last.edits.front().after = after;
    if (last.edits.front().before == after) {
        steps_.pop_back();
        --position_;
        open_ = false;
    }
    return true;
}

const EditStep* EditQueue::Undo() {
    open_ = false;
    if (!CanUndo()) return nullptr;
    return &steps_[--position_];
}

const EditStep* EditQueue::Redo() {
    open_ = false;
    if (!CanRedo()) return nullptr;
    return &steps_[position_++];
}

void EditQueue::MarkSaved() {
    saved_ = static_cast<long>(position_);
    open_ = false;
}

}  // namespace grovewright
