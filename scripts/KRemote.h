#pragma once

#include "KString.h"

// Collects the characters that arrive between packets into remote command
// lines. An empty line repeats the last executed command.
class KRemote {
  public:
    // Longest command line kept; the rest of a longer one is dropped.
    static constexpr int32_t kMaxLine = 4095;

    // Takes one character; true when it completed a command line.
    bool Feed(KChar c);
    // The completed command line.
    const KString& Line() const { return line_; }
    // The completed line was executed: remember it, start a new one.
    void Done();
    void Clear() {
        line_.Empty();
        last_.Empty();
    }

  private:
    KString line_{63, kMaxLine};
    KString last_{63, kMaxLine};
};
