#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>

#include "KErrors.h"
#include "KStream.h"

// The base of the network channels: a non-blocking socket, a receive buffer
// that keeps what has arrived until it is read whole, and an optional send
// buffer.
class KSocket : public KStream {
  public:
    KSocket(int32_t receiveSize, int32_t sendSize);
    ~KSocket() override;

    // Serves bytes from the receive buffer, refilling it from the socket
    // without waiting; raises 8002 (8001 when the channel failed) and keeps
    // the bytes when fewer than n are there.
    void Read(void* buffer, int32_t n) override;
    bool HasInput() override;
    // Closes the connection socket.
    virtual void CloseSocket();
    void Close() override;

    int32_t ReceiveSize() const { return receiveSize_; }
    // Bytes received and not yet read.
    int32_t Buffered();
    int32_t SendSize() const { return sendSize_; }

  protected:
    // Moves what the socket has into the receive buffer (at free, room
    // bytes); the bytes added, 0 when nothing waits, -1 when the channel
    // failed.
    virtual int32_t Receive(uint8_t* free, int32_t room) = 0;
    void DropReceived();
    // Moves the unread bytes to the front and takes what the socket has;
    // Receive's result.
    int32_t Refill();
    static void SetOption(int fd, int level, int name, int value);
    static sockaddr_in Address(uint32_t address, uint16_t port);

    int fd_ = -1;
    int32_t sendSize_;
    std::unique_ptr<uint8_t[]> send_;
    int32_t sendFill_ = 0;

  private:
    int32_t receiveSize_;
    std::unique_ptr<uint8_t[]> receive_;
    int32_t receiveFill_ = 0;
    int32_t receiveNext_ = 0;
};

// A TCP connection, made out (reconnecting whenever it drops) or accepted on
// a listening socket (the newest client replaces the one before).
class KTCPSocket : public KSocket {
  public:
    KTCPSocket(int32_t receiveSize, bool keepAlive, bool noDelay = false, bool reconnect = true,
               bool accept = true);
    ~KTCPSocket() override;

    bool Accepts(int type) const override { return type == -1 || type == -2; }
    KStream* CopySettings(KStream* target) const override;
    // "-1,address,port" connects, "-2,address,port" listens.
    int OpenChannel(const KString& spec) override;
    // Accepts a waiting client, notices a finished or broken connection and
    // reconnects; true when connected.
    bool IsOpen() override;
    // The connection, and the listening socket, where a newer client may
    // come to take the connection's place.
    void WaitDescriptors(std::vector<int>& out) const override;
    // A connection being made is looked at on every millisecond: its
    // socket only becomes writable.
    int64_t PollDueIn() const override;
    void Write(const void* buffer, int32_t n) override;
    void CloseSocket() override;
    void Close() override;

    bool Connect(uint32_t address, uint16_t port);
    bool Listen(uint16_t port, uint32_t address);
    // The local port of the listening socket (for a port of 0), or 0.
    uint16_t ListeningPort() const;

  protected:
    int32_t Receive(uint8_t* free, int32_t room) override;

  private:
    enum { kNoConnection, kConnecting, kConnected };
    void ApplyOptions(int fd) const;
    // After a failed or closed connection: connect again or give up.
    void Lost();
    // Open while connected, or while received bytes wait to be read.
    bool Settled();

    int state_ = kNoConnection;
    bool noDelay_;
    bool keepAlive_;
    bool reconnect_;
    bool accept_;
    bool remembered_ = false;
    uint32_t remoteAddress_ = 0;
    uint16_t remotePort_ = 0;
    int listen_ = -1;
};

// UDP datagrams: sent to a destination (broadcast when none is given) as
// datagrams of at most 536 bytes, received on the same port.
class KUDPSocket : public KSocket {
  public:
    static constexpr int32_t kLargestDatagram = 536;

    // A receive size of 0 makes a channel that only sends.
    KUDPSocket(int32_t receiveSize, int32_t sendSize);

    bool Accepts(int type) const override { return type == -3 && SendSize() > 0; }
    KStream* CopySettings(KStream* target) const override;
    int OpenChannel(const KString& spec) override;
    bool IsOpen() override { return send_ && fd_ >= 0 && destination_ != 0 && port_ != 0; }
    void WaitDescriptors(std::vector<int>& out) const override {
        if (ReceiveSize() > 0 && fd_ >= 0) out.push_back(fd_);
    }
    void Write(const void* buffer, int32_t n) override;
    void Flush() override;
    void DiscardOutput() override { sendFill_ = 0; }
    void CloseSocket() override;

  protected:
    int32_t Receive(uint8_t* free, int32_t room) override;

  private:
    bool receives_;
    uint32_t destination_ = 0;
    uint16_t port_ = 0;
};
