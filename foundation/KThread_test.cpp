#include "KThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "KLog.h"
#include "KMutex.h"
#include "KTestSupport.h"

namespace {

struct Counter : KPeriodicTask {
    ~Counter() override { Stop(); }
    void Run() override {
        ++runs;
        KPeriodicTask::Run();
    }
    void Tick(uint64_t) override { ++ticks; }
    std::atomic<int> runs{0};
    std::atomic<int> ticks{0};
};

// Waits up to five seconds for the condition.
template <typename F>
bool Soon(F done) {
    const uint64_t end = KTickCount() + 5000;
    while (!done()) {
        if (KTickCount() > end) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(KEvent, SetResetPulseAndTimeouts) {
    KEvent none;
    none.Set();
    EXPECT_FALSE(none.Wait(0));  // never created
    KEvent e;
    e.Create();
    EXPECT_FALSE(e.Wait(5));
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(-1));  // manual reset: stays signalled
    e.Reset();
    EXPECT_FALSE(e.Wait(0));
    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = e.Wait(-1); });
    while (!woke) {
        e.Pulse();
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_FALSE(e.Wait(0));  // a pulse leaves it reset
}

TEST(KMutex, RecursiveAndOwned) {
    KMutex m;
    EXPECT_FALSE(m.Unlock());
    EXPECT_TRUE(m.Lock());
    EXPECT_TRUE(m.Lock());
    bool other = true;
    std::thread([&] {
        other = m.Lock(20);
        EXPECT_FALSE(m.Unlock());
    }).join();
    EXPECT_FALSE(other);
    EXPECT_TRUE(m.Unlock());
    EXPECT_TRUE(m.Unlock());
    std::thread([&] {
        other = m.Lock(1000);
        m.Unlock();
    }).join();
    EXPECT_TRUE(other);
}

TEST(KThread, StatesAndTicks) {
    Counter task;
    EXPECT_FALSE(task.Resume());  // stopped
    EXPECT_TRUE(task.StartPeriodic(5));
    EXPECT_EQ(task.State(), KThread::kPaused);
    EXPECT_TRUE(task.Pause(true));  // already paused
    EXPECT_TRUE(task.WaitPaused(1000));
    EXPECT_EQ(task.ticks, 0);
    EXPECT_TRUE(task.Resume());
    ASSERT_TRUE(Soon([&] { return task.ticks >= 3; }));
    EXPECT_TRUE(task.Pause(true));
    const int paused = task.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(task.ticks, paused);
    EXPECT_FALSE(task.IsCurrentThread());
    EXPECT_TRUE(task.Stop());
    EXPECT_EQ(task.State(), KThread::kStopped);
}

TEST(KThread, PauseInterruptsALongWaitAndStopEndsAPausedThread) {
    Counter task;
    ASSERT_TRUE(task.StartPeriodic(60000));
    for (int round = 1; round <= 2; ++round) {
        EXPECT_TRUE(task.Resume());
        // In the body, waiting out its minute.
        ASSERT_TRUE(Soon([&] { return task.runs == round; })) << round;
        EXPECT_TRUE(task.Pause(false));
        // The pause wakes the thread: it leaves the body long before the minute.
        ASSERT_TRUE(task.WaitPaused(5000)) << round;
    }
    EXPECT_EQ(task.ticks, 0);
    EXPECT_TRUE(task.Stop());
    EXPECT_EQ(task.State(), KThread::kStopped);
}

TEST(KLog, EntriesAppendAndAnEmptyLogIsDeleted) {
    KTestFolder folder;
    const KString path = KTestText(folder.Path("tessaron.log"));
    { KLog log(path); }
    EXPECT_FALSE(KFile(path).Exists());
    {
        KLog log(path);
        log.Write(KString(u"TZDisplayWindow::DrawLayout: rows <= 0"), u'E');
    }
    {
        KLog log(path);
        std::thread a([&] {
            for (int i = 0; i < 50; ++i) log.Write(KString(u"from a"));
        });
        for (int i = 0; i < 50; ++i) log.Write(KString(u"from b"));
        a.join();
    }
    const std::string text = folder.Get("tessaron.log");
    EXPECT_EQ(text.rfind("E: ", 0), 0u);
    EXPECT_NE(text.find(": TZDisplayWindow::DrawLayout: rows <= 0\r\n"), std::string::npos);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 101u);
    KLog unwritable(KTestText("/nonexistent/folder/tessaron.log"));
    EXPECT_FALSE(unwritable.IsOpen());
    unwritable.Write(KString(u"ignored"));
}

}  // namespace
