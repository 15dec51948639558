#include "generators/EditQueue.h"

namespace grovewright {

void EditQueue::Push(EditStep step, bool open) {
    steps_.erase(steps_.begin() + static_cast<long>(position_), steps_.end());
    steps_.push_back(std::move(step));
    ++position_;
    if (steps_.size() > kLimit) {
        steps_.pop_front();
        --position_;
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

void EditQueue::DropLast() {
    if (steps_.empty() || position_ != steps_.size()) return;
    steps_.pop_back();
    --position_;
    open_ = false;
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

void EditQueue::RenameDocument(const std::string& path) {
    for (std::size_t i = position_; i-- > 0;)
        if (steps_[i].changesDocument) {
            steps_[i].documentAfter = path;
            break;
        }
    for (std::size_t i = position_; i < steps_.size(); ++i)
        if (steps_[i].changesDocument) {
            steps_[i].documentBefore = path;
            break;
        }
}

}  // namespace grovewright
