#pragma once

// The signals that ask a program to end: SIGTERM (a service manager, a
// shutdown), SIGINT (Ctrl+C) and SIGHUP (the terminal gone). Once caught
// they no longer end the process; each one leaves a byte in a pipe, so a
// loop that waits on Descriptor() wakes up and ends in its own order.
// One per process; the signals' former actions come back when it goes.
class KStopSignals {
  public:
    KStopSignals();
    ~KStopSignals();
    KStopSignals(const KStopSignals&) = delete;
    KStopSignals& operator=(const KStopSignals&) = delete;

    // Readable once a signal came; -1 when the pipe could not be made.
    int Descriptor() const { return read_; }
    // Whether a signal came since the last call; never waits, and makes no
    // system call while none came.
    bool Take();

  private:
    int read_ = -1;
};
