#include "KRemote.h"

bool KRemote::Feed(KChar c) {
    if (c != 10) {
        line_.AppendChar(c);
        return false;
    }
    if (line_.IsEmpty()) line_.Assign(last_);
    return true;
}

void KRemote::Done() {
    last_.Assign(line_);
    line_.Empty();
}
