#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "KErrors.h"
#include "KStream.h"
#include "KThread.h"

class KRegistry;

// One usable COM port: its number, label and device, and what the channels
// attached to it share (users, the open device, output not yet sent).
struct KSerialPortInfo {
    int32_t number = 0;
    KString label{31, 255};
    int32_t subtype = 0;
    std::string device;
    uint32_t users = 0;
    int fd = -1;
    std::vector<uint8_t> pending;  // handed to the device, not yet taken by it
};

// The program's COM ports. Numbers are stable whatever is plugged in:
// COM1-32 are /dev/ttyS0-31 (only those with a real UART), COM33-64
// /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31; the setting
// SerialPort\Devices\<n> makes COM n any device path.
class KSerialPorts {
  public:
    static KSerialPorts& Program();
    // Builds the list from the devices present, the overrides and
    // SerialPort\TypeMask; none at all with -noserialport.
    void Enumerate(KRegistry& settings, bool noSerialPort);
    KSerialPortInfo* Find(int32_t number);
    const std::vector<std::unique_ptr<KSerialPortInfo>>& Ports() const { return ports_; }
    // The device path of COM n by the fixed numbering, empty beyond it.
    static std::string DefaultDevice(int32_t number);

  private:
    std::vector<std::unique_ptr<KSerialPortInfo>> ports_;
};

// A serial channel: non-blocking, read in chunks of 128 bytes, written
// through an output buffer, optionally re-sending its last output every
// refresh period. A device that goes away (an unplugged adapter) is let go
// and opened again, at most once a second, until it is back.
class KSerialPort : public KStream {
  public:
    enum : uint32_t { kRead = 1, kWrite = 2, kManualDTR = 4, kManualRTS = 8 };
    static constexpr int32_t kChunk = 128;

    KSerialPort(uint32_t mode, int32_t inputQueue, int32_t outputSize);
    ~KSerialPort() override;

    bool Accepts(int type) const override { return type >= 1; }
    KStream* CopySettings(KStream* target) const override;
    int OpenChannel(const KString& spec) override;
    bool IsOpen() override;
    void Close() override;
    void Read(void* buffer, int32_t n) override;
    bool HasInput() override;
    void Write(const void* buffer, int32_t n) override;
    void Flush() override;
    bool IsReady() override;
    void DiscardOutput() override;

    bool AttachPort(int32_t number);
    int32_t PortNumber() const { return info_ ? info_->number : 0; }
    void WaitDescriptors(std::vector<int>& out) const override {
        if (info_ && info_->fd >= 0) out.push_back(info_->fd);
    }
    // A device that went away is tried again once a second.
    int64_t PollDueIn() const override;
    bool Configure(int32_t baud, int32_t dataBits, KChar parity, int32_t stopTenths);
    bool SetRefresh(int32_t period, int priority);

  private:
    class Refresh : public KPeriodicTask {
      public:
        explicit Refresh(KSerialPort& port) : port_(port) {}
        ~Refresh() override { Stop(); }

      protected:
        void Tick(uint64_t) override { port_.RefreshTick(); }

      private:
        KSerialPort& port_;
    };

    void Detach();
    // Hands bytes to the device; what it cannot take yet stays pending.
    void Send(const uint8_t* bytes, int32_t n);
    // Pushes pending output on; true when nothing is left.
    bool PushPending();
    void RefreshTick();
    // The device went away: let it go and try again later.
    void Lost();
    // Moves the unread bytes to the front and takes what the device has.
    void Refill();
    bool Reopen();
    bool OpenDevice();

    uint32_t mode_;
    int32_t inputQueue_;
    KSerialPortInfo* info_ = nullptr;
    bool lost_ = false;
    uint64_t lastTry_ = 0;
    // The line settings, for reopening a device that came back.
    int32_t baud_ = 9600, dataBits_ = 8, stopTenths_ = 10;
    KChar parity_ = u'N';
    uint8_t chunk_[kChunk];
    int32_t chunkFill_ = 0;
    int32_t chunkNext_ = 0;
    std::mutex outputLock_;  // the output buffer and refresh flag, shared with the refresh task
    std::vector<uint8_t> output_;
    size_t outputFill_ = 0;
    bool refreshFlag_ = false;
    std::vector<uint8_t> refreshBuffer_;
    Refresh refresh_{*this};
};
