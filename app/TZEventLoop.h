#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

// The work the program does between window events.
class TZIdleWork {
  public:
    virtual ~TZIdleWork() = default;
    // One idle pass (count: passes since the last event, saturating); true
    // when more work waits, so that no pause follows.
    virtual bool IdlePass(int32_t count) = 0;
    // Whether the pause after a pass is skipped ("No delay").
    virtual bool NoDelay() = 0;
    // The descriptors whose input ends a pause early.
    virtual void WaitDescriptors(std::vector<int>& out) = 0;
    // Milliseconds from now until a pass has timed work of its own (0: at
    // once); KClock::kNever when only input brings work.
    virtual int64_t MsUntilDue() = 0;
    // Something escaped a dispatch or an idle pass; the loop goes on.
    virtual void LoopFailed() = 0;
};

// The program's loop over Qt's dispatch: the events waiting are dispatched
// first; then one idle pass; then, unless more work waits, a pause (none
// with "No delay"). The sleeping pause lasts until the idle work's next
// deadline, at least 1 ms, and ends as soon as a window event arrives or a
// descriptor of the idle work has input, so a packet never waits and an
// idle program does not wake. The plain pause sleeps 1 ms, whatever is due.
// While an alert or a menu runs a loop of its own, the idle passes go on
// every millisecond from a timer, so sources are read and the display drawn.
class TZEventLoop {
  public:
    TZEventLoop(TZIdleWork& work, bool sleeping);
    ~TZEventLoop();

    // Runs until Quit; returns its code.
    int Run();
    void Quit(int code);
    bool IsRunning() const { return running_; }

  private:
    void Pause();
    // Keeps one notifier per descriptor to wait on.
    void WatchDescriptors();

    TZIdleWork& work_;
    bool sleeping_;
    // Alerts and menus run loops of their own; this keeps the idle work
    // going inside them.
    QTimer nested_;
    bool running_ = false;
    int code_ = 0;
    QTimer pause_;
    std::vector<int> wanted_;
    std::vector<int> watched_;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
};
