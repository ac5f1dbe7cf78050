#include "KRequestSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "KClock.h"
#include "KRuntimeFolder.h"

namespace {

bool MakeAddress(const std::string& path, sockaddr_un* address) {
    if (path.empty() || path.size() >= sizeof address->sun_path) return false;
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A connected socket to path, or -1.
int Connect(const std::string& path) {
    sockaddr_un address;
    if (!MakeAddress(path, &address)) return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void Answer(int fd, const char* reply) {
    const ssize_t ignored = send(fd, reply, std::strlen(reply), MSG_NOSIGNAL | MSG_DONTWAIT);
    (void)ignored;
}

}  // namespace

KRequestServer::~KRequestServer() {
    for (Client& client : clients_) close(client.fd);
    if (listener_ < 0) return;
    close(listener_);
    unlink(path_.c_str());
}

bool KRequestServer::Open(const std::string& path) {
    sockaddr_un address;
    if (listener_ >= 0 || !MakeAddress(path, &address)) return false;
    if (const int other = Connect(path); other >= 0) {
        close(other);
        return false;
    }
    unlink(path.c_str());  // left behind by a copy that ended without closing it
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const mode_t before = umask(0177);
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    umask(before);
    if (!bound || chmod(path.c_str(), 0600) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return false;
    }
    listener_ = fd;
    path_ = path;
    return true;
}

void KRequestServer::Poll(const Handler& handler, int64_t nowMs) {
    if (listener_ < 0) return;
    while (clients_.size() < kMaxClients) {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) break;
        clients_.push_back({fd, nowMs, {}, false});
    }
    std::erase_if(clients_, [&](Client& client) {
        if (!Serve(client, handler, nowMs)) return false;
        close(client.fd);
        return true;
    });
}

void KRequestServer::WaitDescriptors(std::vector<int>& out) const {
    if (listener_ >= 0) out.push_back(listener_);
    for (const Client& client : clients_) out.push_back(client.fd);
}

int64_t KRequestServer::PollDueIn(int64_t nowMs) const {
    int64_t due = KClock::kNever;
    for (const Client& client : clients_)
        due = std::min(due, std::max<int64_t>(client.since + kClientTimeoutMs + 1 - nowMs, 0));
    return due;
}

bool KRequestServer::Serve(Client& client, const Handler& handler, int64_t nowMs) {
    // A client past its time is dropped, even one that keeps sending; and one
    // pass reads a bounded amount, so no client holds the program up.
    if (nowMs - client.since > kClientTimeoutMs) return true;
    char buffer[4096];
    for (int reads = 0; reads < kReadsPerPoll; ++reads) {
        const ssize_t n = recv(client.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            // A cut request could name another file than the one meant; a
            // longer one is read to its end so that the client gets the answer.
            client.tooLong |= client.request.size() + static_cast<size_t>(n) > kMaxRequest;
            if (!client.tooLong) client.request.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {  // the request is complete
            const char* reply = client.tooLong            ? "ERROR\n"
                                : handler(client.request) ? "ACK\n"
                                                          : "BUSY\n";
            Answer(client.fd, reply);
            return true;
        }
        if (errno == EINTR) continue;
        return errno != EAGAIN && errno != EWOULDBLOCK;  // a broken connection: nothing to answer
    }
    return false;
}

std::string RequestSocketPath() {
    return RequestSocketPath(KRuntimeFolder());
}

std::string RequestSocketPath(const KRuntimeFolder& folder) {
    return folder.Path().empty() ? "" : folder.Path() + "/tessaron.sock";
}

KRequestReply SendRequest(const std::string& path, const std::string& request, int timeoutMs) {
    const int fd = Connect(path);
    if (fd < 0) return KRequestReply::kNoServer;
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    std::string reply;
    pollfd wait{fd, POLLIN, 0};
    char buffer[16];
    while (reply.size() < 8 && poll(&wait, 1, timeoutMs) > 0) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (reply == "ACK\n") return KRequestReply::kAck;
    if (reply == "BUSY\n") return KRequestReply::kBusy;
    if (reply == "ERROR\n") return KRequestReply::kError;
    return KRequestReply::kNoServer;
}
