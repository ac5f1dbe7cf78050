#include "KStopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end, used by the handler; -1 while none is installed.
volatile sig_atomic_t writeEnd = -1;
// Set by the handler, so that asking costs no system call while none came.
volatile sig_atomic_t caught = 0;
struct sigaction former[sizeof(kSignals) / sizeof(kSignals[0])];

void Caught(int) {
    const int saved = errno;
    caught = 1;
    const char byte = 1;
    // A full pipe already says that a signal came.
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

KStopSignals::KStopSignals() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    read_ = ends[0];
    writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = Caught;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i)
        sigaction(kSignals[i], &action, &former[i]);
}

KStopSignals::~KStopSignals() {
    if (read_ < 0) return;
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i)
        sigaction(kSignals[i], &former[i], nullptr);
    close(writeEnd);
    writeEnd = -1;
    close(read_);
}

bool KStopSignals::Take() {
    if (read_ < 0 || !caught) return false;
    caught = 0;
    char bytes[16];
    while (read(read_, bytes, sizeof bytes) > 0) {
    }
    return true;
}
