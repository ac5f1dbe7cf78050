#pragma once

// What the widget tests share: a child process that runs one disabled test
// of the same program on another platform, and an X server of the test's
// own.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>
#include <string>
#include <vector>

extern char** environ;

// Runs one disabled test of this program in a child process whose
// environment adds `extra` (NAME=value); its exit status, or -1.
inline int RunChild(const std::string& test, const std::vector<std::string>& extra) {
    std::vector<std::string> settings = extra;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& x : extra) replaced |= x.rfind(name, 0) == 0;
        if (!replaced) settings.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& s : settings) envp.push_back(s.data());
    envp.push_back(nullptr);
    const std::string filter = "--gtest_filter=" + test;
    char* argv[] = {const_cast<char*>("child_test"), const_cast<char*>(filter.c_str()),
                    const_cast<char*>("--gtest_also_run_disabled_tests"), nullptr};
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        execve("/proc/self/exe", argv, envp.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Xvfb on a display number it picks itself, with one X screen per size
// ("640x400x24"), stopped at the end. Display() is empty when it did not
// start.
class KZTestXServer {
  public:
    explicit KZTestXServer(const std::vector<std::string>& screens) {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args = {"Xvfb", "-displayfd", fd};
        for (size_t i = 0; i < screens.size(); ++i)
            args.insert(args.end(), {"-screen", std::to_string(i), screens[i]});
        args.insert(args.end(), {"-br", "-nolisten", "tcp"});
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (pid_ > 0 && !number.empty()) display_ = ":" + number;
    }
    ~KZTestXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    KZTestXServer(const KZTestXServer&) = delete;
    KZTestXServer& operator=(const KZTestXServer&) = delete;

    const std::string& Display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

// Lets the toolkit work for ms milliseconds.
inline void ProcessEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Waits up to 5 s until the window system shows the widget's window.
inline bool WaitExposed(QWidget& widget) {
    QElapsedTimer timer;
    timer.start();
    while (!(widget.windowHandle() && widget.windowHandle()->isExposed())) {
        if (timer.elapsed() > 5000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ProcessEventsFor(100);
    return true;
}
