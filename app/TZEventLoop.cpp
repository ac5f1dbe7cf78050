#include "TZEventLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <exception>

TZEventLoop::TZEventLoop(TZIdleWork& work, bool wakeOnInput)
    : work_(work), wakeOnInput_(wakeOnInput) {
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
    if (!wakeOnInput_) {
        QThread::usleep(1000);
        return;
    }
    WatchDescriptors();
    pause_.start(1);
    // An event taken in the pause may open a dialog or a menu: the idle work
    // goes on inside it as well.
    nested_.start();
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
