#include "KRemote.h"

KRemote::Result KRemote::Feed(KChar c) {
    if (c != 10) {
        if (overlong_) return kCollecting;
        const int32_t before = line_.Length();
        line_.AppendChar(c);
        overlong_ = line_.Length() == before;  // no room left for it
        return kCollecting;
    }
    if (overlong_) {
        overlong_ = false;
        line_.Empty();
        return kDropped;
    }
    if (line_.IsEmpty()) line_.Assign(last_);
    return kComplete;
}

void KRemote::Done() {
    last_.Assign(line_);
    line_.Empty();
}
