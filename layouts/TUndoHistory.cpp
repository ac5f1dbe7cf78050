#include "TUndoHistory.h"

#include <algorithm>

#include "TLayout.h"

void TUndoHistory::SetLevels(int32_t levels) {
    levels_ = levels;
    Trim(undo_);
    Trim(redo_);
}

TUndoHistory::State TUndoHistory::Take() const {
    return {layout_.Snapshot(), layout_.LastId()};
}

void TUndoHistory::Begin() {
    if (depth_++ > 0) return;
    before_ = Take();
    modifiedBefore_ = layout_.IsModified();
    layout_.ClearChangedSinceSnapshot();
}

void TUndoHistory::End() {
    if (depth_ == 0 || --depth_ > 0) return;
    State before = std::move(before_);
    if (!layout_.ChangedSinceSnapshot() || levels_ < 1) return;
    undo_.push_back(std::move(before));
    Trim(undo_);
    redo_.clear();
}

void TUndoHistory::Abandon() {
    if (depth_ != 1) {
        End();  // inside an outer edit, which decides for both
        return;
    }
    depth_ = 0;
    State before = std::move(before_);
    if (!layout_.ChangedSinceSnapshot()) return;
    layout_.SetLastId(before.lastId);
    layout_.SwapState(std::move(before.state));
    if (!modifiedBefore_) layout_.ClearModified();
}

bool TUndoHistory::Undo() {
    if (undo_.empty() || depth_ > 0) return false;
    Restore(undo_, redo_);
    return true;
}

bool TUndoHistory::Redo() {
    if (redo_.empty() || depth_ > 0) return false;
    Restore(redo_, undo_);
    return true;
}

void TUndoHistory::Restore(std::deque<State>& from, std::deque<State>& other) {
    State step = std::move(from.back());
    from.pop_back();
    const int32_t lastId = layout_.LastId();
    layout_.SetLastId(step.lastId);
    other.push_back({layout_.SwapState(std::move(step.state)), lastId});
    Trim(other);
}

void TUndoHistory::Trim(std::deque<State>& steps) const {
    while (!steps.empty() && static_cast<int32_t>(steps.size()) > std::max(levels_, 0))
        steps.pop_front();
}
