#include "TZUserLock.h"

TZUserLock::TZUserLock(const KString& unlockText)
    : unlockText_(unlockText),
      typed_(unlockText.Length() + 1),
      state_(unlockText.IsEmpty() ? kNone : kUnlocked) {}

void TZUserLock::Lock() {
    if (state_ != kNone) state_ = kLocked;
}

bool TZUserLock::Type(KChar c) {
    if (state_ != kLocked) return false;
    if (typed_.Length() == unlockText_.Length()) typed_.Delete(0, 1);
    typed_.AppendChar(c);
    if (!typed_.Equals(unlockText_)) return false;
    state_ = kUnlocked;
    typed_.Empty();
    return true;
}
