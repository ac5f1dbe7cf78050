#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "TLayoutState.h"

class TLayout;

// The undo and redo steps of one layout, each a whole copy of the layout's
// state. An edit is bracketed by Begin and End; it becomes one step only when
// it changed the layout. At most `levels` steps are kept, the oldest going
// first; a new step forgets what could be redone.
class TUndoHistory {
  public:
    explicit TUndoHistory(TLayout& layout) : layout_(layout) {}

    // levels below 1 keep no step at all.
    void SetLevels(int32_t levels);
    // Copies the layout as it is before an edit. A Begin inside an edit
    // (a command made of commands) is part of the outer one.
    void Begin();
    // Ends the edit Begin started.
    void End();
    // Ends the edit Begin started by putting the layout back as it was at
    // that Begin, modified flag and all; no step is kept. Inside an outer
    // edit it is an End.
    void Abandon();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Puts the layout back as it was before the last step (or after the
    // step last undone); false with nothing to do.
    bool Undo();
    bool Redo();

  private:
    // The saved state and the id counter, so that an undone addition
    // leaves the file as it was.
    struct State {
        std::unique_ptr<TLayoutState> state;
        int32_t lastId = 0;
    };
    State Take() const;
    // Shows the newest step of `from` and keeps the state it replaces on
    // `other`.
    void Restore(std::deque<State>& from, std::deque<State>& other);
    void Trim(std::deque<State>& steps) const;

    TLayout& layout_;
    int32_t levels_ = 25;
    int32_t depth_ = 0;
    State before_;
    bool modifiedBefore_ = false;
    std::deque<State> undo_;
    std::deque<State> redo_;
};
