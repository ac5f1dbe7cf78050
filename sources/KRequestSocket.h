#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class KRuntimeFolder;

// The local request channel between copies of the program: the first copy
// serves a Unix-domain socket (mode 0600) from its idle pass; another program
// connects, writes one request (UTF-8, no terminator, at most kMaxRequest
// bytes), shuts down its sending side and reads "ACK\n" or "BUSY\n", or
// "ERROR\n" for a longer request, which is read to its end and dropped
// unseen; the server then closes the connection. Nothing here waits:
// connections are read as their bytes come, and one that stays silent is
// dropped.
class KRequestServer {
  public:
    // The longest request taken, in bytes.
    static constexpr size_t kMaxRequest = 64 * 1024;
    // Connections served at once; more wait in the listen queue.
    static constexpr size_t kMaxClients = 8;
    // A connection that has not finished its request by then is dropped.
    static constexpr int64_t kClientTimeoutMs = 2000;
    // Reads of one client in one pass.
    static constexpr int kReadsPerPoll = 16;

    // Takes a complete request; false answers BUSY.
    using Handler = std::function<bool(const std::string& request)>;

    KRequestServer() = default;
    ~KRequestServer();
    KRequestServer(const KRequestServer&) = delete;
    KRequestServer& operator=(const KRequestServer&) = delete;

    // Listens at path, replacing a socket no running server answers; false
    // when a server already answers there or the socket cannot be made.
    bool Open(const std::string& path);
    // Accepts and reads what is waiting, answering each complete request;
    // nowMs is a monotonic time in milliseconds.
    void Poll(const Handler& handler, int64_t nowMs);
    // The listening socket and the connections being read, for a loop that
    // sleeps until one of them has input; none when not open.
    void WaitDescriptors(std::vector<int>& out) const;
    // Milliseconds from nowMs until the oldest connection runs out of time
    // and must be dropped; KClock::kNever when none is open.
    int64_t PollDueIn(int64_t nowMs) const;

  private:
    struct Client {
        int fd;
        int64_t since;
        std::string request;
        bool tooLong;
    };
    // Reads what the client sent; true when it is finished with (answered or
    // dropped).
    bool Serve(Client& client, const Handler& handler, int64_t nowMs);

    int listener_ = -1;
    std::string path_;
    std::vector<Client> clients_;
};

// The socket of the user's running copy: tessaron.sock in the user's private
// run-time folder (KRuntimeFolder); empty when there is none to trust.
std::string RequestSocketPath();
std::string RequestSocketPath(const KRuntimeFolder& folder);

enum class KRequestReply { kAck, kBusy, kError, kNoServer };
// Sends one request to the server at path and waits for its answer (at most
// timeoutMs).
KRequestReply SendRequest(const std::string& path, const std::string& request,
                          int timeoutMs = 5000);
