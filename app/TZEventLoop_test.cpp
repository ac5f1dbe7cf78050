#include "TZEventLoop.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <stdexcept>
#include <vector>

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

}  // namespace
