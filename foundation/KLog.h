#pragma once

#include "KFile.h"
#include "KMutex.h"

// The program's log: time-stamped entries appended to one file, from any
// thread. A log that stayed empty is deleted when it closes.
class KLog : private KMutex {
  public:
    // Opens (or creates) the file and goes to its end; a file that cannot be
    // opened leaves the log closed and every entry ignored.
    explicit KLog(const KString& path);
    ~KLog();
    KLog(const KLog&) = delete;
    KLog& operator=(const KLog&) = delete;

    // "E: <date> <time>: message" for category 'E'; no category, no prefix.
    void Write(const KString& message, KChar category = 0);
    bool IsOpen() { return file_.IsOpen(); }

    // The program's own log, which parts that hold no reference to it write
    // to. Start-up installs it; a log leaves that role when it is destroyed.
    // Without one, entries are dropped.
    static void SetProgramLog(KLog* log);
    static void WriteProgram(const KString& message, KChar category = 0);

  private:
    KFile file_;
};
