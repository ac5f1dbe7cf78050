#pragma once

#include <cstdint>
#include <string>

// Counts the running copies of the program for one user. Every copy holds a
// shared lock on a lock file; a start that can take it exclusively is the
// only copy and restarts the count at 1, any other adds one. Locks end with
// their process, so a crash leaves nothing stale; as the count only rises,
// a copy's number is one more than the starts since the first copy began.
class KCopyCounter {
  public:
    // folder: where the lock and count files live.
    explicit KCopyCounter(const std::string& folder);
    ~KCopyCounter();
    KCopyCounter(const KCopyCounter&) = delete;
    KCopyCounter& operator=(const KCopyCounter&) = delete;

    // 1 for the first running copy, 2 and up for the others.
    int32_t Number() const { return number_; }

    // $XDG_RUNTIME_DIR, or /tmp without it.
    static std::string DefaultFolder();

  private:
    int32_t Count(bool first);

    std::string folder_;
    int lock_ = -1;
    int32_t number_ = 1;
};
