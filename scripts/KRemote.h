#pragma once

#include "KString.h"

// Collects the characters that arrive between packets into remote command
// lines. An empty line repeats the last executed command.
//
// A line may hold up to kMaxLine characters; its buffer grows to the longest
// line seen and is reused, so collecting allocates nothing once it has grown.
// A longer line cannot be kept whole, and a cut line could run another
// command than the one sent: it is dropped whole when its LF arrives.
class KRemote {
  public:
    static constexpr int32_t kMaxLine = 1 << 20;

    enum Result { kCollecting, kComplete, kDropped };
    // Takes one character; kComplete when it completed a command line,
    // kDropped when it ended one that was too long (nothing to execute).
    Result Feed(KChar c);
    // The completed command line.
    const KString& Line() const { return line_; }
    // The completed line was executed: remember it, start a new one.
    void Done();
    void Clear() {
        line_.Empty();
        last_.Empty();
        overlong_ = false;
    }

  private:
    KString line_{255, kMaxLine};
    KString last_{255, kMaxLine};
    // The line being received passed kMaxLine (or its buffer could not grow).
    bool overlong_ = false;
};
