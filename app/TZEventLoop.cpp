#include "TZEventLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <exception>

namespace {

// The longest pause, in ms (a day): a later deadline takes several.
constexpr int64_t kLongestPause = 24 * 3600 * 1000;

}  // namespace

TZEventLoop::TZEventLoop(TZIdleWork& work, bool sleeping) : work_(work), sleeping_(sleeping) {
    pause_.setSingleShot(true);
    pause_.setTimerType(Qt::PreciseTimer);
    nested_.setInterval(1);
    QObject::connect(&nested_, &QTimer::timeout, [this] {
        if (QThread::currentThread()->loopLevel() == 0) return;  // our own loop passes
        try {
            work_.IdlePass(0);
        } catch (const std::exception&) {
            work_.LoopFailed();
        }
    });
    // An event taken in the pause may open a dialog or a menu: its loop
    // starts the idle passes when it first waits.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &nested_, [this] {
                         if (QThread::currentThread()->loopLevel() > 0 && !nested_.isActive())
                             nested_.start();
                     });
}

TZEventLoop::~TZEventLoop() = default;

int TZEventLoop::Run() {
    running_ = true;
    int32_t idle = 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    while (running_) {
        bool more = false;
        // Counting from now: only a dispatch or a pass that lasts (an alert,
        // a menu) lets it fire.
        nested_.start();
        try {
            if (dispatcher->processEvents(QEventLoop::AllEvents)) idle = 0;
            if (!running_) break;
            more = work_.IdlePass(idle);
            if (idle < INT32_MAX) ++idle;
        } catch (const std::exception&) {
            work_.LoopFailed();
        }
        nested_.stop();
        if (!more && running_) Pause();
    }
    return code_;
}

void TZEventLoop::Quit(int code) {
    code_ = code;
    running_ = false;
}

void TZEventLoop::Pause() {
    if (work_.NoDelay()) return;
    if (!sleeping_) {
        QThread::usleep(1000);
        return;
    }
    WatchDescriptors();
    // As with the plain pause, timed work runs at most once a millisecond.
    pause_.start(static_cast<int>(std::clamp<int64_t>(work_.MsUntilDue(), 1, kLongestPause)));
    QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    nested_.stop();
    pause_.stop();
}

void TZEventLoop::WatchDescriptors() {
    wanted_.clear();
    work_.WaitDescriptors(wanted_);
    if (wanted_ == watched_) return;
    notifiers_.clear();
    for (int fd : wanted_)
        notifiers_.push_back(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read));
    watched_ = wanted_;
}
