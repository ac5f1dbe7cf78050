#include "KSerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "KEvent.h"
#include "KRegistry.h"
#include "KSerialSpeed.h"
#include "KUtf8.h"
#include "KX.h"
#include "TPortSpec.h"

namespace {

constexpr uint64_t kReopenInterval = 1000;

int OpenTty(const std::string& device) {
    return open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// A /dev/ttyS entry exists for every possible UART; only some have one.
bool HasUart(int fd) {
    serial_struct info{};
    return ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
}

bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

speed_t Speed(int32_t baud) {
    static const struct {
        int32_t baud;
        speed_t speed;
    } kSpeeds[] = {{50, B50},         {75, B75},         {110, B110},       {134, B134},
                   {150, B150},       {200, B200},       {300, B300},       {600, B600},
                   {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
                   {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
                   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    // Where a driver takes no exact rate, rates between the standard ones
    // take the next lower standard rate.
    speed_t speed = B50;
    for (const auto& s : kSpeeds)
        if (s.baud <= baud) speed = s.speed;
    return speed;
}

}  // namespace

KSerialPorts& KSerialPorts::Program() {
    static KSerialPorts ports;
    return ports;
}

std::string KSerialPorts::DefaultDevice(int32_t number) {
    if (number >= 1 && number <= 32) return "/dev/ttyS" + std::to_string(number - 1);
    if (number >= 33 && number <= 64) return "/dev/ttyUSB" + std::to_string(number - 33);
    if (number >= 65 && number <= 96) return "/dev/ttyACM" + std::to_string(number - 65);
    return "";
}

void KSerialPorts::Enumerate(KRegistry& settings, bool noSerialPort) {
    ports_.clear();
    if (noSerialPort) return;
    const KRInt* maskSetting = settings.FindInt(KString(u"\\SerialPort\\TypeMask"));
    const uint32_t mask = static_cast<uint32_t>(maskSetting ? maskSetting->value : -1);
    int32_t last = 96;
    if (const KRGroup* devices = settings.FindGroup(KString(u"\\SerialPort\\Devices\\"))) {
        for (const KRNode& node : devices->children) {
            KString15 name(node.name);
            int32_t n;
            if (name.ParseInt(&n, 10) && n > last && n <= 1024) last = n;
        }
    }
    const int32_t subtype = 1;  // every port here is a serial port
    if (!(mask & (1u << subtype))) return;
    for (int32_t n = 1; n <= last; ++n) {
        KString31 key(KString(u"\\SerialPort\\Devices\\"));
        key.AppendInt(n);
        const KString& override = settings.StringOf(key);
        const std::string device = override.IsEmpty() ? DefaultDevice(n) : KUtf8Of(override);
        if (device.empty()) continue;
        const int fd = OpenTty(device);
        if (fd < 0) continue;
        const bool usable = !override.IsEmpty() || n > 32 || HasUart(fd);
        close(fd);
        if (!usable) continue;
        auto info = std::make_unique<KSerialPortInfo>();
        info->number = n;
        info->subtype = subtype;
        info->device = device;
        info->label.Append(settings.StringOf(KString(u"\\Strings\\SerialPort\\PortLocal")))
            .AppendInt(n);
        info->label.AppendChar(u' ').Append(
            settings.StringOf(KString(u"\\Strings\\SerialPort\\Types\\1")));
        ports_.push_back(std::move(info));
    }
}

KSerialPortInfo* KSerialPorts::Find(int32_t number) {
    for (auto& p : ports_)
        if (p->number == number) return p.get();
    return nullptr;
}

KSerialPort::KSerialPort(uint32_t mode, int32_t inputQueue, int32_t outputSize)
    : mode_(mode),
      inputQueue_(std::max(inputQueue, 16)),
      output_(static_cast<size_t>(std::max(outputSize, 0))) {
    SetReadEncoding(kSingleByte);
    SetWriteEncoding(kSingleByte);
    SetReadLineEnd(0);
    SetWriteLineEnd(0);
}

KSerialPort::~KSerialPort() {
    Close();
}

KStream* KSerialPort::CopySettings(KStream* target) const {
    return KStream::CopySettings(
        target ? target
               : new KSerialPort(mode_, inputQueue_, static_cast<int32_t>(output_.size())));
}

int KSerialPort::OpenChannel(const KString& text) {
    const TPortSpec spec = TPortSpec::Parse(text);
    if (spec.kind != TPortSpec::kSerial || !AttachPort(spec.port)) return 0;
    return Configure(spec.baud, spec.dataBits, spec.parity, spec.stopTenths) &&
           SetRefresh(spec.refresh, 1);
}

bool KSerialPort::OpenDevice() {
    info_->fd = OpenTty(info_->device);
    if (info_->fd < 0) return false;
    ioctl(info_->fd, TIOCEXCL);
    info_->pending.clear();
    return true;
}

bool KSerialPort::AttachPort(int32_t number) {
    if (info_ && info_->number == number) return true;
    Detach();
    KSerialPortInfo* info = KSerialPorts::Program().Find(number);
    if (!info || (info->users & mode_)) return false;
    info_ = info;
    if (info_->fd < 0 && !OpenDevice()) {
        info_ = nullptr;
        return false;
    }
    info_->users |= mode_;
    lost_ = false;
    chunkFill_ = chunkNext_ = 0;
    outputFill_ = 0;
    return true;
}

bool KSerialPort::Configure(int32_t baud, int32_t dataBits, KChar parity, int32_t stopTenths) {
    baud_ = baud, dataBits_ = dataBits, parity_ = parity, stopTenths_ = stopTenths;
    if (!info_ || info_->fd < 0) return false;
    termios t{};
    if (tcgetattr(info_->fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= dataBits == 7 ? CS7 : dataBits == 6 ? CS6 : dataBits <= 5 ? CS5 : CS8;
    if (parity != u'N') t.c_cflag |= PARENB;
    if (parity == u'O' || parity == u'M') t.c_cflag |= PARODD;
    if (parity == u'M' || parity == u'S') t.c_cflag |= CMSPAR;
    if (stopTenths > 10) t.c_cflag |= CSTOPB;  // the line has no 1.5: it takes 2
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    t.c_cc[VMIN] = 1;  // with O_NONBLOCK: no data reads as EAGAIN, 0 bytes as a hang-up
    t.c_cc[VTIME] = 0;
    cfsetspeed(&t, Speed(baud));
    if (tcsetattr(info_->fd, TCSANOW, &t) != 0) return false;
    KSetExactSpeed(info_->fd, baud);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(info_->fd, TIOCMBIS, &lines);  // pseudo-terminals have no modem lines
    return true;
}

bool KSerialPort::SetRefresh(int32_t period, int priority) {
    refresh_.Stop();
    if (period < 1) return true;
    if (!info_) return false;
    {
        std::lock_guard<std::mutex> lock(outputLock_);
        refreshFlag_ = false;
        refreshBuffer_.clear();
        refreshBuffer_.reserve(output_.size());
    }
    return refresh_.StartPeriodic(period, priority, 65536) && refresh_.Resume();
}

void KSerialPort::Lost() {
    std::lock_guard<std::mutex> lock(outputLock_);
    if (info_ && info_->fd >= 0) {
        close(info_->fd);
        info_->fd = -1;
    }
    lost_ = true;
    lastTry_ = KTickCount();
    chunkFill_ = chunkNext_ = 0;
}

bool KSerialPort::Reopen() {
    lastTry_ = KTickCount();
    if (info_->fd < 0) {
        std::lock_guard<std::mutex> lock(outputLock_);
        if (!OpenDevice()) return false;
    }
    if (!Configure(baud_, dataBits_, parity_, stopTenths_)) return false;
    lost_ = false;
    return true;
}

bool KSerialPort::IsOpen() {
    if (!info_) return false;
    if (lost_ && KTickCount() - lastTry_ >= kReopenInterval) Reopen();
    if (!lost_ && info_->fd < 0) {
        lost_ = true;  // another channel of the port found it gone
        lastTry_ = KTickCount();
    }
    return !lost_;
}

int64_t KSerialPort::PollDueIn() const {
    if (!info_) return KClock::kNever;
    if (!lost_) return info_->fd < 0 ? 0 : KClock::kNever;  // another channel let it go
    const uint64_t since = KTickCount() - lastTry_;
    return since >= kReopenInterval ? 0 : static_cast<int64_t>(kReopenInterval - since);
}

void KSerialPort::Refill() {
    std::memmove(chunk_, chunk_ + chunkNext_, static_cast<size_t>(chunkFill_ - chunkNext_));
    chunkFill_ -= chunkNext_;
    chunkNext_ = 0;
    if (!IsOpen()) return;
    const ssize_t got =
        read(info_->fd, chunk_ + chunkFill_, static_cast<size_t>(kChunk - chunkFill_));
    if (got > 0) {
        NotifyRead(chunk_ + chunkFill_, static_cast<int32_t>(got));
        chunkFill_ += static_cast<int32_t>(got);
    } else if ((got < 0 && DeviceGone(errno)) || got == 0) {
        Lost();
    }
}

bool KSerialPort::HasInput() {
    if (const uint8_t* next = TakeReadWindow()) chunkNext_ = static_cast<int32_t>(next - chunk_);
    if (chunkFill_ > chunkNext_) return true;
    if (!info_ || !(mode_ & kRead)) return false;
    Refill();
    SetReadWindow(chunk_ + chunkNext_, chunk_ + chunkFill_);
    return chunkFill_ > chunkNext_;
}

void KSerialPort::Read(void* buffer, int32_t n) {
    if (const uint8_t* next = TakeReadWindow()) chunkNext_ = static_cast<int32_t>(next - chunk_);
    if (!info_ || !(mode_ & kRead)) throw KXStream(kErrSerialReceive, 0);
    if (n <= 0) return;
    if (chunkFill_ - chunkNext_ < n) {
        Refill();
        if (chunkFill_ < n) throw KXStream(lost_ ? kErrSerialReceive : kErrSerialReceiveShort, 0);
    }
    std::memcpy(buffer, chunk_ + chunkNext_, static_cast<size_t>(n));
    chunkNext_ += n;
    SetReadWindow(chunk_ + chunkNext_, chunk_ + chunkFill_);
}

bool KSerialPort::PushPending() {
    if (!info_ || info_->pending.empty()) return true;
    if (info_->fd < 0) return false;
    const ssize_t put = write(info_->fd, info_->pending.data(), info_->pending.size());
    if (put > 0) info_->pending.erase(info_->pending.begin(), info_->pending.begin() + put);
    return info_->pending.empty();
}

void KSerialPort::Send(const uint8_t* bytes, int32_t n) {
    if (n <= 0) return;
    if (!info_ || info_->fd < 0) throw KXStream(kErrSerialTransmit, 0);
    if (!PushPending()) throw KXStream(kErrSerialTransmitBusy, 0);
    const ssize_t put = write(info_->fd, bytes, static_cast<size_t>(n));
    if (put < 0 && errno != EAGAIN && errno != EINTR) throw KXStream(kErrSerialTransmit, 0);
    const int32_t taken = put > 0 ? static_cast<int32_t>(put) : 0;
    info_->pending.insert(info_->pending.end(), bytes + taken, bytes + n);
}

void KSerialPort::Write(const void* buffer, int32_t n) {
    if (!info_ || !(mode_ & kWrite) || !IsOpen()) throw KXStream(kErrSerialTransmit, 0);
    if (n <= 0) return;
    std::lock_guard<std::mutex> lock(outputLock_);
    const auto* in = static_cast<const uint8_t*>(buffer);
    if (output_.empty()) {
        Send(in, n);
    } else {
        for (int32_t done = 0; done < n;) {
            const size_t take =
                std::min(output_.size() - outputFill_, static_cast<size_t>(n - done));
            std::memcpy(output_.data() + outputFill_, in + done, take);
            outputFill_ += take;
            done += static_cast<int32_t>(take);
            if (outputFill_ == output_.size()) {
                outputFill_ = 0;
                Send(output_.data(), static_cast<int32_t>(output_.size()));
            }
        }
    }
    NotifyWrite(buffer, n);
}

void KSerialPort::Flush() {
    std::lock_guard<std::mutex> lock(outputLock_);
    if (refresh_.State() == KThread::kRunning && !refresh_.IsCurrentThread()) {
        refreshFlag_ = true;  // the refresh task sends it and keeps it as the last output
        return;
    }
    if (!PushPending())
        throw KXStream(kErrSerialTransmitBusy, 0);  // the output waits for the next try
    const int32_t n = static_cast<int32_t>(outputFill_);
    outputFill_ = 0;
    Send(output_.data(), n);
}

bool KSerialPort::IsReady() {
    std::lock_guard<std::mutex> lock(outputLock_);
    return PushPending();
}

void KSerialPort::DiscardOutput() {
    std::lock_guard<std::mutex> lock(outputLock_);
    outputFill_ = 0;
    refreshFlag_ = false;
}

void KSerialPort::RefreshTick() {
    std::lock_guard<std::mutex> lock(outputLock_);
    if (!(mode_ & kWrite) || !info_) return;
    if (refreshFlag_) {
        refreshBuffer_.assign(output_.begin(),
                              output_.begin() + static_cast<std::ptrdiff_t>(outputFill_));
        outputFill_ = 0;
        refreshFlag_ = false;
    }
    if (refreshBuffer_.empty() || !PushPending()) return;
    try {
        Send(refreshBuffer_.data(), static_cast<int32_t>(refreshBuffer_.size()));
    } catch (const KX&) {
    }
}

void KSerialPort::Detach() {
    refresh_.Stop();
    if (!info_) return;
    info_->users &= ~mode_;
    if (info_->users == 0 && info_->fd >= 0) {
        close(info_->fd);
        info_->fd = -1;
    }
    info_ = nullptr;
    chunkFill_ = chunkNext_ = 0;
    outputFill_ = 0;
}

void KSerialPort::Close() {
    Detach();
    KStream::Close();
}
