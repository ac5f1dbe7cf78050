#include "KCopyCounter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

#include "KRuntimeFolder.h"

namespace {

// Opens (or creates) a file of the folder for reading and writing, never
// through a link; -1 when it cannot.
int OpenInFolder(const std::string& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

// Takes the flock lock (LOCK_SH or LOCK_EX), trying for at most waitMs.
bool LockWithin(int fd, int operation, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

KCopyCounter::KCopyCounter(const std::string& folder, int waitMs)
    : folder_(folder), waitMs_(waitMs) {
    if (folder.empty()) return;
    const std::string path = folder + "/tessaron.lock";
    lock_ = OpenInFolder(path);
    if (lock_ < 0) {
        Fail("the copy lock " + path + " cannot be opened (" + std::strerror(errno) +
             "); this copy counts as the first");
        return;
    }
    // Another copy counts once the first has counted, holding its shared
    // lock from then on; the first keeps a shared one after counting.
    const bool first = flock(lock_, LOCK_EX | LOCK_NB) == 0;
    if (!first && !LockWithin(lock_, LOCK_SH, waitMs_)) {
        Fail("the copy lock " + path + " stayed held by another process for " +
             std::to_string(waitMs_) + " ms; this copy counts as the first");
        close(lock_);
        lock_ = -1;
        return;
    }
    number_ = Count(first);
    if (first) flock(lock_, LOCK_SH);
}

KCopyCounter::~KCopyCounter() {
    if (lock_ >= 0) close(lock_);
}

int32_t KCopyCounter::Count(bool first) {
    // Without the count, a later copy still knows it is not the first.
    const int32_t unknown = first ? 1 : 2;
    const std::string path = folder_ + "/tessaron.count";
    const int fd = OpenInFolder(path);
    if (fd < 0) {
        Fail("the copy count " + path + " cannot be opened (" + std::strerror(errno) + ")");
        return unknown;
    }
    if (!LockWithin(fd, LOCK_EX, waitMs_)) {
        Fail("the copy count " + path + " stayed locked by another process for " +
             std::to_string(waitMs_) + " ms");
        close(fd);
        return unknown;
    }
    char text[16] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    const long before = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    const long limit = std::numeric_limits<int32_t>::max() - 1;
    const int32_t number = first ? 1 : static_cast<int32_t>(std::clamp(before, 1L, limit) + 1);
    // An unwritable count only makes later numbers wrong, never this one.
    const std::string written = std::to_string(number);
    if (ftruncate(fd, 0) == 0) {
        const ssize_t ignored = pwrite(fd, written.data(), written.size(), 0);
        (void)ignored;
    }
    close(fd);  // releases the count's lock
    return number;
}

void KCopyCounter::Fail(const std::string& problem) {
    problem_ = problem;
    std::fprintf(stderr, "tessaron: %s\n", problem.c_str());
}

std::string KCopyCounter::DefaultFolder() {
    const KRuntimeFolder folder;
    if (!folder.Problem().empty()) std::fprintf(stderr, "tessaron: %s\n", folder.Problem().c_str());
    return folder.Path();
}
