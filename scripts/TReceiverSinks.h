#pragma once

#include "KString.h"

class TFields;
class TReceiver;

// Receives every completed packet in which at least one field was extracted.
class TPacketSink {
  public:
    virtual ~TPacketSink() = default;
    virtual void DeliverPacket(TFields& definition) = 0;
};

// Receives what a source's data looks like for the receive trace.
class TTraceSink {
  public:
    virtual ~TTraceSink() = default;
    virtual void TraceChar(const TReceiver& source, KChar c) = 0;
    virtual void TraceEvent(const TReceiver& source, const KString& text) = 0;
};

// Executes a complete remote command line received between packets.
class TRemoteHandler {
  public:
    virtual ~TRemoteHandler() = default;
    virtual void ExecuteRemote(const TReceiver& source, const KString& line) = 0;
};
