#include "TZUserLock.h"

#include "KRegistry.h"

TZUserLock::TZUserLock(KRegistry& settings)
    : settings_(settings), state_(UnlockText().IsEmpty() ? kNone : kUnlocked) {}

const KString& TZUserLock::UnlockText() const {
    return settings_.StringOf(KString(u"\\General\\Unlock"));
}

void TZUserLock::Lock() {
    // Without a text there would be no way out.
    if (state_ != kNone && !UnlockText().IsEmpty()) state_ = kLocked;
}

bool TZUserLock::Type(KChar c) {
    if (state_ != kLocked) return false;
    const KString& unlock = UnlockText();
    typed_.AppendChar(c);
    // Only the last characters typed count, as many as the text has now.
    if (typed_.Length() > unlock.Length()) typed_.Delete(0, typed_.Length() - unlock.Length());
    if (!typed_.Equals(unlock)) return false;
    state_ = kUnlocked;
    typed_.Empty();
    return true;
}
