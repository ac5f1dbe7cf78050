#pragma once

#include <cstdint>
#include <string>

// Counts the running copies of the program for one user. Every copy holds a
// shared lock on a lock file; a start that can take it exclusively is the
// only copy and restarts the count at 1, any other adds one. Locks end with
// their process, so a crash leaves nothing stale; as the count only rises,
// a copy's number is one more than the starts since the first copy began.
//
// The files are opened without following links, and no lock is waited for
// longer than waitMs: a process that holds one longer (stuck, or hostile)
// cannot hold up the start. Without its files, or without its lock, a copy
// counts as the first, and Problem() says why (also on standard error).
class KCopyCounter {
  public:
    static constexpr int kLockWaitMs = 3000;

    // folder: where the lock and count files live; none when empty.
    explicit KCopyCounter(const std::string& folder, int waitMs = kLockWaitMs);
    ~KCopyCounter();
    KCopyCounter(const KCopyCounter&) = delete;
    KCopyCounter& operator=(const KCopyCounter&) = delete;

    // 1 for the first running copy, 2 and up for the others.
    int32_t Number() const { return number_; }
    // What kept the count from working; empty when nothing did.
    const std::string& Problem() const { return problem_; }

    // The user's private run-time folder (KRuntimeFolder); empty, with the
    // reason on standard error, when there is none to trust.
    static std::string DefaultFolder();

  private:
    int32_t Count(bool first);
    // Keeps the reason and shows it.
    void Fail(const std::string& problem);

    std::string folder_;
    int waitMs_;
    int lock_ = -1;
    int32_t number_ = 1;
    std::string problem_;
};
