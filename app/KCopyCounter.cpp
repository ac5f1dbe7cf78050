#include "KCopyCounter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

std::string FileName(const std::string& folder, const char* kind) {
    const bool shared = folder == "/tmp";
    return folder + "/tessaron" + (shared ? "-" + std::to_string(getuid()) : "") + kind;
}

}  // namespace

KCopyCounter::KCopyCounter(const std::string& folder) : folder_(folder) {
    lock_ = open(FileName(folder, ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_ < 0) return;  // without the files every copy counts as the first
    // Another copy counts once the first has counted, holding its shared
    // lock from then on; the first keeps a shared one after counting.
    const bool first = flock(lock_, LOCK_EX | LOCK_NB) == 0;
    if (!first) flock(lock_, LOCK_SH);
    number_ = Count(first);
    if (first) flock(lock_, LOCK_SH);
}

KCopyCounter::~KCopyCounter() {
    if (lock_ >= 0) close(lock_);
}

int32_t KCopyCounter::Count(bool first) {
    const int fd = open(FileName(folder_, ".count").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 1;
    flock(fd, LOCK_EX);
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

std::string KCopyCounter::DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? runtime : "/tmp";
}
