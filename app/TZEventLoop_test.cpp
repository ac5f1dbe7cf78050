#include "TZEventLoop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "KClock.h"

namespace {

// Idle work that, on its first pass, runs a loop of its own for a while (as
// an alert box does) and counts the passes made meanwhile.
struct ModalWork : TZIdleWork {
    bool IdlePass(int32_t) override {
        ++passes;
        if (passes == 1) {
            QEventLoop modal;
            QTimer::singleShot(50, &modal, &QEventLoop::quit);
            modal.exec();
            passesInModal = passes - 1;
            throw std::runtime_error("a failure in the pass");
        }
        if (passesInModal >= 0) loop->Quit(7);
        return false;
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>&) override {}
    int64_t MsUntilDue() override { return KClock::kNever; }
    void LoopFailed() override { ++failures; }

    TZEventLoop* loop = nullptr;
    int passes = 0;
    int passesInModal = -1;
    int failures = 0;
};

TEST(TZEventLoop, IdleWorkGoesOnInsideModalLoopsAndAfterFailures) {
    for (bool wake : {true, false}) {
        ModalWork work;
        TZEventLoop loop(work, wake);
        work.loop = &loop;
        EXPECT_EQ(loop.Run(), 7);
        EXPECT_GT(work.passesInModal, 10) << wake;  // about one a millisecond
        EXPECT_EQ(work.failures, 1);
    }
}

// Idle work that counts its passes; the test's timer opens loops of its
// own (a dialog chosen from a menu) whenever it fires, during the loop's
// dispatch or during its pause.
struct CountingWork : TZIdleWork {
    bool IdlePass(int32_t) override {
        ++passes;
        return false;
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>&) override {}
    int64_t MsUntilDue() override { return KClock::kNever; }
    void LoopFailed() override {}

    int passes = 0;
};

TEST(TZEventLoop, IdleWorkGoesOnInsideModalLoopsOpenedFromThePause) {
    CountingWork work;
    TZEventLoop loop(work, true);
    std::vector<int> passesInModal;
    QTimer opener;
    QObject::connect(&opener, &QTimer::timeout, [&] {
        if (passesInModal.size() == 20) {
            loop.Quit(0);
            return;
        }
        const int before = work.passes;
        QEventLoop modal;
        QTimer::singleShot(20, &modal, &QEventLoop::quit);
        modal.exec();
        passesInModal.push_back(work.passes - before);
    });
    opener.start(3);
    loop.Run();
    EXPECT_GT(*std::min_element(passesInModal.begin(), passesInModal.end()), 5);
}

// Idle work with something due every 25 ms, eight times.
struct TimedWork : TZIdleWork {
    using Clock = std::chrono::steady_clock;
    bool IdlePass(int32_t) override {
        ++passes;
        if (Clock::now() >= due) {
            due += std::chrono::milliseconds(25);
            if (++dues == 8) loop->Quit(0);
        }
        return false;
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>&) override {}
    int64_t MsUntilDue() override {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
        return std::max<int64_t>(left.count(), 0);
    }
    void LoopFailed() override {}

    TZEventLoop* loop = nullptr;
    Clock::time_point due = Clock::now();
    int passes = 0;
    int dues = 0;
};

TEST(TZEventLoop, TheSleepingLoopPassesWhenSomethingIsDueAndThePlainOneEveryMillisecond) {
    for (bool sleeping : {true, false}) {
        TimedWork work;
        TZEventLoop loop(work, sleeping);
        work.loop = &loop;
        loop.Run();
        EXPECT_EQ(work.dues, 8);
        if (sleeping) {
            EXPECT_LT(work.passes, 20);
        } else {
            EXPECT_GT(work.passes, 50);
        }
    }
}

// Idle work with nothing timed that waits for a byte on a pipe.
struct PipeWork : TZIdleWork {
    bool IdlePass(int32_t) override {
        char byte;
        if (read(fds[0], &byte, 1) == 1) loop->Quit(0);
        return false;
    }
    bool NoDelay() override { return false; }
    void WaitDescriptors(std::vector<int>& out) override { out.push_back(fds[0]); }
    int64_t MsUntilDue() override { return KClock::kNever; }
    void LoopFailed() override {}

    TZEventLoop* loop = nullptr;
    int fds[2];
};

TEST(TZEventLoop, InputEndsASleepThatHasNoDeadline) {
    PipeWork work;
    ASSERT_EQ(pipe2(work.fds, O_NONBLOCK | O_CLOEXEC), 0);
    TZEventLoop loop(work, true);
    work.loop = &loop;
    // Ends the test when the byte is never noticed.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { loop.Quit(1); });
    guard.start(10000);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(write(work.fds[1], "x", 1), 1);
    });
    EXPECT_EQ(loop.Run(), 0);
    writer.join();
    close(work.fds[0]);
    close(work.fds[1]);
}

}  // namespace
