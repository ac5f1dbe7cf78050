#pragma once

#include "KStreamMenu.h"

class KRegistry;

// The channel kinds a source can use (serial reading, TCP, UDP) and those of
// the debug port (serial reading and writing with an output buffer), sized by
// Sources\BufferSize (2048 bytes to 1 MiB: every source holds such buffers)
// with TCP keep-alive from Sources\KeepAlive.
constexpr int32_t kMinChannelBuffer = 2048;
constexpr int32_t kMaxChannelBuffer = 1 << 20;
int32_t ChannelBufferSize(KRegistry& settings);
void BuildSourceChannels(KStreamMenu& menu, KRegistry& settings);
void BuildDebugChannels(KStreamMenu& menu, KRegistry& settings);
// The menu's channel for a port spec, chosen by its port number as
// TPortSpec::Parse reads it; the caller opens it with the port spec.
std::unique_ptr<KStream> SelectPortChannel(const KStreamMenu& menu, const KString& spec,
                                           std::unique_ptr<KStream> current);
