#include "TChannelMenus.h"

#include <algorithm>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KSocket.h"
#include "TPortSpec.h"

namespace {

void Build(KStreamMenu& menu, KRegistry& settings, uint32_t serialMode, int32_t serialOutput) {
    const int32_t size = ChannelBufferSize(settings);
    const KRInt* keepAlive = settings.FindInt(KString(u"\\Sources\\KeepAlive"));
    menu.Clear();
    // Each registration goes in front: the list reads serial, TCP, UDP.
    menu.Register(std::make_unique<KUDPSocket>(size, size));
    menu.Register(std::make_unique<KTCPSocket>(size, !keepAlive || keepAlive->value != 0));
    menu.Register(std::make_unique<KSerialPort>(serialMode, size, serialOutput));
}

}  // namespace

int32_t ChannelBufferSize(KRegistry& settings) {
    const KRInt* size = settings.FindInt(KString(u"\\Sources\\BufferSize"));
    return std::clamp(size ? size->value : 0, kMinChannelBuffer, kMaxChannelBuffer);
}

void BuildSourceChannels(KStreamMenu& menu, KRegistry& settings) {
    Build(menu, settings, KSerialPort::kRead, 0);
}

void BuildDebugChannels(KStreamMenu& menu, KRegistry& settings) {
    Build(menu, settings, KSerialPort::kRead | KSerialPort::kWrite, ChannelBufferSize(settings));
}

std::unique_ptr<KStream> SelectPortChannel(const KStreamMenu& menu, const KString& spec,
                                           std::unique_ptr<KStream> current) {
    return menu.SelectChannel(TPortSpec::Parse(spec).port, std::move(current));
}
