#pragma once

// Runs the built tessaron-cli from tests, as a user would.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Copies the fonts, the results script and the logo the build ships into a
// home folder, as an installation leaves them there.
inline void CopyShippedFiles(const std::string& home) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(std::getenv("TESSARON_BIN"))) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".fnt") || name == "Results.rss" || name == "Logo.tga")
            fs::copy_file(entry.path(), fs::path(home) / name);
    }
}

inline std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string CliPath() {
    const char* bin = std::getenv("TESSARON_BIN");
    return std::string(bin ? bin : ".") + "/tessaron-cli";
}

// A new empty file for a program's standard error; -1 when none can be made.
inline int NewErrorFile(std::string& path) {
    char pattern[] = "/tmp/tessaron-cli-err-XXXXXX";
    const int fd = mkostemp(pattern, O_CLOEXEC);
    path = fd >= 0 ? pattern : "";
    return fd;
}

// Takes the file's text and removes the file.
inline std::string TakeErrorFile(const std::string& path) {
    std::string text;
    if (FILE* err = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, err)) > 0) text.append(buf, n);
        std::fclose(err);
    }
    if (!path.empty()) std::remove(path.c_str());
    return text;
}

inline int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the real tessaron-cli with these arguments, standard input from
// stdinFile when given; collects standard output.
inline Result Cli(const std::vector<std::string>& args, const std::string& stdinFile = "") {
    std::string command = Quote(CliPath());
    for (const std::string& a : args) command += " " + Quote(a);
    std::string errPath;
    const int errFd = NewErrorFile(errPath);
    Result r{-1, {}, {}};
    if (errFd < 0) return r;
    close(errFd);
    command += " 2>" + Quote(errPath);
    if (!stdinFile.empty()) command += " <" + Quote(stdinFile);
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
        r.status = ExitStatus(pclose(pipe));
    }
    r.err = TakeErrorFile(errPath);
    return r;
}

// tessaron-cli running in the background while the test reads its standard
// output as it comes. A program still running at the end is killed.
class BackgroundCli {
  public:
    explicit BackgroundCli(const std::vector<std::string>& args) : BackgroundCli(CliPath(), args) {}
    // Any program, by its path.
    BackgroundCli(const std::string& program, const std::vector<std::string>& args) {
        int out[2];
        const int errFd = NewErrorFile(errPath_);
        if (errFd < 0 || pipe2(out, O_CLOEXEC) != 0) {
            if (errFd >= 0) close(errFd);
            return;
        }
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(errFd);
        out_ = out[0];
    }
    ~BackgroundCli() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        TakeErrorFile(errPath_);
    }
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    // Waits until text appears in the output after the previous match; false
    // when it did not within timeoutMs or the output ended without it.
    bool WaitFor(const std::string& text, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t at = output_.find(text, searchFrom_);
            if (at != std::string::npos) {
                searchFrom_ = at + text.size();
                return true;
            }
            if (!ReadSome(end)) return false;
        }
    }

    // What the program wrote so far.
    const std::string& Output() const { return output_; }

    // Asks the program to stop (SIGTERM) and waits for it; all its output
    // and its exit status. One that does not stop within a minute is killed.
    Result Stop() { return Finish(true, 60000); }
    // Waits for the program to end by itself; killed after timeoutMs.
    Result Wait(int timeoutMs) { return Finish(false, timeoutMs); }

  private:
    Result Finish(bool terminate, int timeoutMs) {
        Result r{-1, {}, {}};
        if (pid_ <= 0) return r;
        if (terminate) kill(pid_, SIGTERM);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (ReadSome(end)) {
        }
        if (out_ >= 0) kill(pid_, SIGKILL);  // the output did not end in time
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        r.status = ExitStatus(status);
        r.out = output_;
        r.err = TakeErrorFile(errPath_);
        errPath_.clear();
        return r;
    }
    // Appends what the program writes next; false at the deadline or at the
    // end of the output.
    bool ReadSome(std::chrono::steady_clock::time_point end) {
        while (out_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buf[65536];
            const ssize_t n = read(out_, buf, sizeof buf);
            if (n > 0) {
                output_.append(buf, static_cast<size_t>(n));
                return true;
            }
            if (n < 0 && errno == EINTR) continue;
            close(out_);
            out_ = -1;
        }
        return false;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string errPath_;
    std::string output_;
    size_t searchFrom_ = 0;
};
