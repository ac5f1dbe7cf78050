#include "KCopyCounter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KRequestSocket.h"
#include "KRuntimeFolder.h"
#include "KTestSupport.h"

extern char** environ;

namespace {

// A process started with arguments, its standard output read through a
// pipe; it is ended when this object goes.
class Child {
  public:
    explicit Child(const std::vector<std::string>& arguments) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        output_ = out[0];
    }
    ~Child() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        Wait();
        close(output_);
    }
    // True when the child wrote a line within five seconds.
    bool SaidReady() {
        pollfd wait{output_, POLLIN, 0};
        char c;
        return poll(&wait, 1, 5000) == 1 && read(output_, &c, 1) == 1;
    }
    // Its exit status, once it ended.
    int Wait() {
        int status = -1;
        if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int output_ = -1;
};

// The arguments that run a command as the user uid (empty: as this one).
std::vector<std::string> As(int uid, std::vector<std::string> command) {
    if (uid < 0) return command;
    const std::string id = std::to_string(uid);
    command.insert(command.begin(),
                   {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"});
    return command;
}

// A process of user uid that holds the exclusive flock lock of file until
// it is ended; it says so when it has the lock.
std::unique_ptr<Child> HoldLock(int uid, const std::string& file) {
    return std::make_unique<Child>(
        As(uid, {"/bin/sh", "-c", "exec 9>>\"$0\" && flock -x 9 && echo && exec sleep 60", file}));
}

// Runs a shell script as user uid, $0 and $1 set to the arguments; its exit status.
int RunShell(int uid, const std::string& script, const std::string& a0 = "",
             const std::string& a1 = "") {
    return Child(As(uid, {"/bin/sh", "-c", script, a0, a1})).Wait();
}

int64_t MsSince(std::chrono::steady_clock::time_point start) {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

// Each counter opens the files anew, as another process would: locks taken
// through different open files exclude each other even in one process.
TEST(KCopyCounter, CopiesAreNumberedWhileTheFirstRuns) {
    KTestFolder folder;
    auto first = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(first->Number(), 1);
    auto second = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(second->Number(), 2);
    second.reset();
    auto third = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(third->Number(), 3);  // the count only rises
    first.reset();
    third.reset();
    EXPECT_EQ(KCopyCounter(folder.Path()).Number(), 1);  // alone again: the first
    EXPECT_EQ(KCopyCounter("").Number(), 1);             // without a folder: the first
}

// A process that keeps a lock (stuck or hostile) holds a start up only for
// the bounded wait, which then says what happened.
TEST(KCopyCounter, ALockHeldOnIsWaitedForOnlySoLong) {
    KTestFolder folder;
    {
        auto holder = HoldLock(-1, folder.Path("tessaron.lock"));
        ASSERT_TRUE(holder->SaidReady());
        const auto start = std::chrono::steady_clock::now();
        KCopyCounter counter(folder.Path(), 300);
        EXPECT_LT(MsSince(start), 3000);
        EXPECT_EQ(counter.Number(), 1);
        EXPECT_EQ(counter.Problem(), "the copy lock " + folder.Path("tessaron.lock") +
                                         " stayed held by another process for 300 ms; this "
                                         "copy counts as the first");
    }
    KCopyCounter first(folder.Path(), 300);
    auto holder = HoldLock(-1, folder.Path("tessaron.count"));
    ASSERT_TRUE(holder->SaidReady());
    KCopyCounter second(folder.Path(), 300);
    EXPECT_EQ(second.Number(), 2);  // another copy runs, whatever the count says
    EXPECT_EQ(second.Problem(), "the copy count " + folder.Path("tessaron.count") +
                                    " stayed locked by another process for 300 ms");
}

// Links in the folder are not followed: the file they point to stays as it was.
TEST(KCopyCounter, LinksAreNotFollowed) {
    KTestFolder folder;
    const std::string precious = folder.Put("tessaron.cfg", "Display\\Width:Int=1024\n");
    ASSERT_EQ(symlink(precious.c_str(), folder.Path("tessaron.count").c_str()), 0);
    KCopyCounter first(folder.Path());
    KCopyCounter second(folder.Path());
    EXPECT_EQ(first.Number(), 1);
    EXPECT_EQ(second.Number(), 2);
    EXPECT_NE(second.Problem().find("tessaron.count cannot be opened"), std::string::npos)
        << second.Problem();
    KTestFolder other;
    ASSERT_EQ(symlink(precious.c_str(), other.Path("tessaron.lock").c_str()), 0);
    EXPECT_NE(KCopyCounter(other.Path()).Problem().find("tessaron.lock cannot be opened"),
              std::string::npos);
    EXPECT_EQ(folder.Get("tessaron.cfg"), "Display\\Width:Int=1024\n");
}

// While this object lives the process acts with the files of user uid.
class AsUser {
  public:
    explicit AsUser(int uid) { ok_ = setegid(uid) == 0 && seteuid(uid) == 0; }
    ~AsUser() {
        if (seteuid(0) == 0 && setegid(0) == 0) return;
        std::abort();  // the tests after this one would run as the other user
    }
    bool Ok() const { return ok_; }

  private:
    bool ok_;
};

// Two users share a temp folder. The attacker makes the victim's folder
// first and sets traps in it: a lock held for ever, a count that links to
// the victim's configuration, a socket that would read the victim's
// requests. The victim refuses that folder without waiting and without
// touching anything in it; once the victim has a folder of its own, the
// attacker can put nothing in it.
TEST(KCopyCounter, AnotherUsersTrapsInTempAreRefused) {
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to act as two users";
    unsetenv("XDG_RUNTIME_DIR");
    const int victim = 65533, attacker = 65534;
    KTestFolder temp;
    ASSERT_EQ(chmod(temp.Path().c_str(), 01777), 0);
    const std::string home = temp.Path("home");
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    const std::string config = temp.Put("home/tessaron.cfg", "Display\\Width:Int=1024\n");
    ASSERT_EQ(chown(home.c_str(), victim, victim) + chown(config.c_str(), victim, victim), 0);
    const std::string folder = temp.Path("tessaron-" + std::to_string(victim));

    ASSERT_EQ(RunShell(attacker, "mkdir -m 777 \"$0\" && ln -s \"$1\" \"$0/tessaron.count\"",
                       folder, config),
              0);
    auto lock = HoldLock(attacker, folder + "/tessaron.lock");
    ASSERT_TRUE(lock->SaidReady());
    Child squatter(As(attacker, {"/usr/bin/python3", "-c",
                                 "import socket, sys, time\n"
                                 "s = socket.socket(socket.AF_UNIX)\n"
                                 "s.bind(sys.argv[1]); s.listen()\n"
                                 "print(flush=True); time.sleep(60)\n",
                                 folder + "/tessaron.sock"}));
    ASSERT_TRUE(squatter.SaidReady());
    {
        AsUser as(victim);
        ASSERT_TRUE(as.Ok());
        const KRuntimeFolder refused(temp.Path());
        EXPECT_EQ(refused.Path(), "");
        EXPECT_EQ(refused.Problem().find(folder + " belongs to user 65534, not to user 65533"), 0u)
            << refused.Problem();
        const auto start = std::chrono::steady_clock::now();
        KCopyCounter counter(refused.Path());
        EXPECT_LT(MsSince(start), 1000);
        EXPECT_EQ(counter.Number(), 1);
        EXPECT_EQ(RequestSocketPath(refused), "");  // no request goes to the squatter
    }
    EXPECT_EQ(temp.Get("home/tessaron.cfg"), "Display\\Width:Int=1024\n");
    lock.reset();
    ASSERT_EQ(RunShell(-1, "rm -rf \"$0\"", folder), 0);

    // The victim's own folder: the attacker can neither hold its lock nor
    // put a link or a socket in it.
    {
        AsUser as(victim);
        ASSERT_TRUE(as.Ok());
        const KRuntimeFolder mine(temp.Path());
        ASSERT_EQ(mine.Path(), folder) << mine.Problem();
        KCopyCounter first(mine.Path());
        KRequestServer server;
        EXPECT_TRUE(server.Open(RequestSocketPath(mine)));
        EXPECT_EQ(first.Number(), 1);
        EXPECT_NE(RunShell(attacker, "ln -s \"$1\" \"$0/tessaron.count\"", folder, config), 0);
        EXPECT_FALSE(HoldLock(attacker, folder + "/tessaron.lock")->SaidReady());
        EXPECT_NE(RunShell(attacker, "exec socat -u OPEN:/dev/null UNIX-CONNECT:\"$0\"",
                           folder + "/tessaron.sock"),
                  0);
        EXPECT_EQ(KCopyCounter(mine.Path()).Number(), 2);
    }

    // Left open to others by mistake, it is refused as well.
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(
        RunShell(attacker, "rm -f \"$0/tessaron.count\" && ln -s \"$1\" \"$0/tessaron.count\"",
                 folder, config),
        0);
    {
        AsUser as(victim);
        const KRuntimeFolder open(temp.Path());
        EXPECT_EQ(open.Path(), "");
        EXPECT_NE(open.Problem().find("has mode 0777"), std::string::npos) << open.Problem();
    }
    EXPECT_EQ(temp.Get("home/tessaron.cfg"), "Display\\Width:Int=1024\n");
}

}  // namespace
