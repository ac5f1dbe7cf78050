#include "KSocket.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "KX.h"
#include "TPortSpec.h"

namespace {

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

int NewSocket(int type) {
    return socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

KSocket::KSocket(int32_t receiveSize, int32_t sendSize)
    : sendSize_(sendSize),
      send_(sendSize > 0 ? new uint8_t[static_cast<size_t>(sendSize)] : nullptr),
      receiveSize_(std::max(receiveSize, 16)),
      receive_(new uint8_t[static_cast<size_t>(receiveSize_)]) {
    SetReadEncoding(kSingleByte);
    SetWriteEncoding(kSingleByte);
    SetReadLineEnd(0);
    SetWriteLineEnd(0);
}

KSocket::~KSocket() {
    CloseFd(fd_);
}

void KSocket::SetOption(int fd, int level, int name, int value) {
    setsockopt(fd, level, name, &value, sizeof value);
}

sockaddr_in KSocket::Address(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

int32_t KSocket::Buffered() {
    if (const uint8_t* next = TakeReadWindow())
        receiveNext_ = static_cast<int32_t>(next - receive_.get());
    return receiveFill_ - receiveNext_;
}

void KSocket::DropReceived() {
    TakeReadWindow();
    receiveFill_ = receiveNext_ = 0;
}

void KSocket::CloseSocket() {
    CloseFd(fd_);
    DropReceived();
    sendFill_ = 0;
}

void KSocket::Close() {
    CloseSocket();
    KStream::Close();
}

int32_t KSocket::Refill() {
    std::memmove(receive_.get(), receive_.get() + receiveNext_,
                 static_cast<size_t>(receiveFill_ - receiveNext_));
    receiveFill_ -= receiveNext_;
    receiveNext_ = 0;
    const int32_t got = receiveFill_ < receiveSize_
                            ? Receive(receive_.get() + receiveFill_, receiveSize_ - receiveFill_)
                            : 0;
    if (got > 0) {
        NotifyRead(receive_.get() + receiveFill_, got);
        receiveFill_ += got;
    }
    SetReadWindow(receive_.get() + receiveNext_, receive_.get() + receiveFill_);
    return got;
}

bool KSocket::HasInput() {
    return Buffered() > 0 || Refill() > 0;
}

void KSocket::Read(void* buffer, int32_t n) {
    if (const uint8_t* next = TakeReadWindow())
        receiveNext_ = static_cast<int32_t>(next - receive_.get());
    if (n <= 0) return;
    if (receiveFill_ - receiveNext_ < n) {
        const int32_t got = Refill();
        if (receiveFill_ < n)
            throw KXStream(got < 0 ? kErrSocketReceive : kErrSocketReceiveShort, 0);
    }
    std::memcpy(buffer, receive_.get() + receiveNext_, static_cast<size_t>(n));
    receiveNext_ += n;
    SetReadWindow(receive_.get() + receiveNext_, receive_.get() + receiveFill_);
}

// TCP

KTCPSocket::KTCPSocket(int32_t receiveSize, bool keepAlive, bool noDelay, bool reconnect,
                       bool accept)
    : KSocket(receiveSize, 0),
      noDelay_(noDelay),
      keepAlive_(keepAlive),
      reconnect_(reconnect),
      accept_(accept) {}

KTCPSocket::~KTCPSocket() {
    CloseFd(listen_);
}

KStream* KTCPSocket::CopySettings(KStream* target) const {
    return KStream::CopySettings(
        target ? target : new KTCPSocket(ReceiveSize(), keepAlive_, noDelay_, reconnect_, accept_));
}

void KTCPSocket::ApplyOptions(int fd) const {
    SetOption(fd, IPPROTO_TCP, TCP_NODELAY, noDelay_ ? 1 : 0);
    SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, keepAlive_ ? 1 : 0);
}

int KTCPSocket::OpenChannel(const KString& text) {
    Close();
    const TPortSpec spec = TPortSpec::Parse(text);
    if (spec.kind == TPortSpec::kTcpConnect)
        return spec.hasAddress && spec.hasIpPort && Connect(spec.address, spec.ipPort);
    if (spec.kind == TPortSpec::kTcpListen)
        return spec.hasIpPort && Listen(spec.ipPort, spec.address);
    return 0;
}

// What was received before a reconnection stays to be read: it arrived while
// connected.
bool KTCPSocket::Connect(uint32_t address, uint16_t port) {
    CloseFd(fd_);
    fd_ = NewSocket(SOCK_STREAM);
    if (fd_ < 0) return false;
    ApplyOptions(fd_);
    state_ = kConnecting;
    remembered_ = true;
    remoteAddress_ = address;
    remotePort_ = port;
    const sockaddr_in to = Address(address, port);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        state_ = kConnected;
        return true;
    }
    if (errno == EINPROGRESS || errno == EINTR) return true;
    // Refused at once: with reconnecting on, the next poll tries again.
    CloseFd(fd_);
    if (!reconnect_) state_ = kNoConnection;
    return false;
}

bool KTCPSocket::Listen(uint16_t port, uint32_t address) {
    CloseFd(listen_);
    listen_ = NewSocket(SOCK_STREAM);
    if (listen_ < 0) return false;
    SetOption(listen_, SOL_SOCKET, SO_REUSEADDR, 1);
    const sockaddr_in at = Address(address, port);
    if (bind(listen_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
        listen(listen_, 5) != 0) {
        CloseFd(listen_);
        return false;
    }
    return true;
}

uint16_t KTCPSocket::ListeningPort() const {
    sockaddr_in at{};
    socklen_t size = sizeof at;
    if (listen_ < 0 || getsockname(listen_, reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
    return ntohs(at.sin_port);
}

void KTCPSocket::Lost() {
    if (reconnect_ && remembered_) {
        Connect(remoteAddress_, remotePort_);
    } else {
        CloseFd(fd_);
        state_ = kNoConnection;
    }
}

// One poll looks at the connection and the listener together: a separate
// accept on every pass delays the data arriving on the connection.
bool KTCPSocket::IsOpen() {
    if (state_ == kConnecting && fd_ < 0) Lost();
    const bool watchConnection = fd_ >= 0 && state_ != kNoConnection;
    pollfd p[2]{{fd_, static_cast<short>(state_ == kConnecting ? POLLOUT : POLLIN), 0},
                {listen_, POLLIN, 0}};
    pollfd* first = watchConnection ? p : p + 1;
    const nfds_t count = (watchConnection ? 1 : 0) + (listen_ >= 0 && accept_ ? 1 : 0);
    if (count == 0 || poll(first, count, 0) <= 0) return Settled();
    if (p[1].revents & POLLIN) {
        const int client = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client >= 0) {
            CloseFd(fd_);
            fd_ = client;
            ApplyOptions(fd_);
            state_ = kConnected;
            return true;
        }
    }
    if (!watchConnection || p[0].revents == 0) return Settled();
    if (state_ == kConnecting) {
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error == 0 && !(p[0].revents & (POLLERR | POLLHUP))) {
            state_ = kConnected;
        } else {
            Lost();
        }
        return Settled();
    }
    uint8_t byte;
    const ssize_t peeked = recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && !WouldBlock())) Lost();
    return Settled();
}

void KTCPSocket::WaitDescriptors(std::vector<int>& out) const {
    if (state_ == kConnected && fd_ >= 0) out.push_back(fd_);
    if (listen_ >= 0 && accept_) out.push_back(listen_);
}

int64_t KTCPSocket::PollDueIn() const {
    return state_ == kConnecting ? 1 : KClock::kNever;
}

// Bytes that came before the connection ended can still be read.
bool KTCPSocket::Settled() {
    return (fd_ >= 0 && state_ == kConnected) || Buffered() > 0;
}

// The poll asked IsOpen just before; a closed or broken connection shows
// here as well.
int32_t KTCPSocket::Receive(uint8_t* free, int32_t room) {
    if (fd_ < 0 || state_ != kConnected) return -1;
    const ssize_t got = recv(fd_, free, static_cast<size_t>(room), MSG_DONTWAIT);
    if (got > 0) return static_cast<int32_t>(got);
    if (got < 0 && WouldBlock()) return 0;
    Lost();
    return -1;
}

void KTCPSocket::Write(const void* buffer, int32_t n) {
    if (n <= 0) return;
    if (!IsOpen()) throw KXStream(kErrSocketSend, 0);
    const ssize_t sent = send(fd_, buffer, static_cast<size_t>(n), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && !WouldBlock()) throw KXStream(kErrSocketSend, 0);
    const int32_t count = sent > 0 ? static_cast<int32_t>(sent) : 0;
    NotifyWrite(buffer, count);
    if (count < n) throw KXStream(kErrSocketSendShort, count);
}

void KTCPSocket::CloseSocket() {
    KSocket::CloseSocket();
    state_ = kNoConnection;
    remembered_ = false;
}

void KTCPSocket::Close() {
    CloseFd(listen_);
    KSocket::Close();
}

// UDP

KUDPSocket::KUDPSocket(int32_t receiveSize, int32_t sendSize)
    : KSocket(receiveSize, sendSize), receives_(receiveSize > 0) {}

KStream* KUDPSocket::CopySettings(KStream* target) const {
    return KStream::CopySettings(
        target ? target : new KUDPSocket(receives_ ? ReceiveSize() : 0, SendSize()));
}

int KUDPSocket::OpenChannel(const KString& text) {
    Close();
    const TPortSpec spec = TPortSpec::Parse(text);
    if (spec.kind != TPortSpec::kUdp || !spec.hasIpPort || spec.ipPort == 0) return 0;
    destination_ = spec.address == 0 ? INADDR_BROADCAST : spec.address;
    port_ = spec.ipPort;
    fd_ = NewSocket(SOCK_DGRAM);
    if (fd_ < 0) return 0;
    SetOption(fd_, SOL_SOCKET, SO_BROADCAST, 1);
    SetOption(fd_, SOL_SOCKET, SO_SNDBUF, std::max(SendSize(), 65536));
    if (receives_) {
        // Room for bursts between two polls.
        SetOption(fd_, SOL_SOCKET, SO_RCVBUF, 1 << 20);
        SetOption(fd_, SOL_SOCKET, SO_REUSEADDR, 1);
        const sockaddr_in at = Address(INADDR_ANY, port_);
        if (bind(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
            CloseSocket();
            return 0;
        }
    }
    return IsOpen();
}

int32_t KUDPSocket::Receive(uint8_t* free, int32_t room) {
    if (fd_ < 0) return -1;
    const ssize_t got = recv(fd_, free, static_cast<size_t>(room), MSG_DONTWAIT);
    if (got < 0) return WouldBlock() ? 0 : -1;
    return static_cast<int32_t>(got);
}

void KUDPSocket::Write(const void* buffer, int32_t n) {
    if (n <= 0) return;
    if (!IsOpen()) throw KXStream(kErrSocketSend, 0);
    const int32_t fits = std::min(n, SendSize() - sendFill_);
    std::memcpy(send_.get() + sendFill_, buffer, static_cast<size_t>(fits));
    sendFill_ += fits;
    NotifyWrite(buffer, fits);
    if (fits < n) throw KXStream(kErrSocketSendShort, fits);
}

void KUDPSocket::Flush() {
    if (!IsOpen()) return;
    const sockaddr_in to = Address(destination_, port_);
    int32_t done = 0;
    while (done < sendFill_) {
        const int32_t size = std::min(kLargestDatagram, sendFill_ - done);
        const ssize_t sent =
            sendto(fd_, send_.get() + done, static_cast<size_t>(size), MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (sent != size) {
            sendFill_ = 0;
            throw KXStream(sent < 0 ? kErrSocketSend : kErrSocketSendShort,
                           done + static_cast<int32_t>(std::max<ssize_t>(sent, 0)));
        }
        done += size;
    }
    sendFill_ = 0;
}

void KUDPSocket::CloseSocket() {
    KSocket::CloseSocket();
    destination_ = 0;
    port_ = 0;
}
