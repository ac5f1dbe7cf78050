#pragma once

#include "KString.h"

class KRegistry;

// The user lock of File|Lock, configured by a non-empty \General\Unlock.
// The setting is read at every use, so a text changed while the program
// runs is the one that unlocks. While locked, every character typed is
// kept (only as many as the unlock text has), and typing the unlock text
// unlocks.
class TZUserLock {
  public:
    enum State { kNone = 0, kUnlocked = 1, kLocked = 2 };

    // The state starts as kNone when no unlock text is configured now.
    explicit TZUserLock(KRegistry& settings);

    State GetState() const { return state_; }
    bool IsLocked() const { return state_ == kLocked; }
    // Locks when an unlock text is configured at this moment.
    void Lock();
    // A character typed while locked; true when it unlocked the program.
    bool Type(KChar c);

  private:
    const KString& UnlockText() const;

    KRegistry& settings_;
    KString typed_;
    State state_;
};
