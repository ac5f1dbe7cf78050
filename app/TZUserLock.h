#pragma once

#include "KString.h"

// The user lock of File|Lock: configured by a non-empty unlock text; while
// locked, every character typed is kept (only as many as the unlock text
// has), and typing the unlock text unlocks.
class TZUserLock {
  public:
    enum State { kNone = 0, kUnlocked = 1, kLocked = 2 };

    // An empty text configures no lock.
    explicit TZUserLock(const KString& unlockText);

    State GetState() const { return state_; }
    bool IsLocked() const { return state_ == kLocked; }
    // Locks when a lock is configured.
    void Lock();
    // A character typed while locked; true when it unlocked the program.
    bool Type(KChar c);

  private:
    KString unlockText_;
    KString typed_;
    State state_;
};
