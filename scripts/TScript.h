#pragma once

#include "KList.h"
#include "KRemote.h"
#include "KStream.h"
#include "KString.h"
#include "TFields.h"
#include "TScriptSinks.h"

// What a source knows of its script: the packet definitions, the remote
// command collector, and the per-character work that feeds them from a
// channel. Delivery, trace and remote lines leave through the sinks.
class TScript {
  public:
    static constexpr int32_t kDefaultBufferSize = 32767;

    // Loads a script file named by data, resolved against folder. True when
    // the file was opened and read to its end; a file that cannot be opened
    // leaves the definitions as they were.
    bool LoadScript(const KString& folder, const KString& scriptName, int32_t bufferCapacity);

    // Reads and frames the characters the channel has; true when it stopped
    // before the channel ran dry: after a complete remote command line, or
    // when one call's budget of characters was used up.
    bool ReceiveAvailable(KStream& channel);
    // One call takes at most this many characters, so that a channel that
    // sends faster than it is framed cannot hold up the caller's loop.
    static constexpr int32_t kCallBudget = 65536;

    // Delivery and trace of the definitions' events.
    void Deliver(TFields& definition);
    void Event(const TFields& definition, bool header, bool body);

    KList& Definitions() { return definitions_; }
    const KList& Definitions() const { return definitions_; }
    const KString& SourceName() const { return sourceName_; }
    void SetSourceName(const KString& name) { sourceName_.Assign(name); }
    // Index of this source's first definition among all sources'.
    int32_t DefinitionBase() const { return definitionBase_; }
    void SetDefinitionBase(int32_t base) { definitionBase_ = base; }
    void SetSinks(TPacketSink* packets, TTraceSink* trace, TRemoteHandler* remote) {
        packets_ = packets, trace_ = trace, remote_ = remote;
    }
    // Without a trace sink nothing is spent on tracing.
    void SetTrace(TTraceSink* trace) { trace_ = trace; }
    // Position of the source in the source list.
    int32_t SourcePosition() const { return position_; }
    void SetSourcePosition(int32_t position) { position_ = position; }
    // Characters received since creation.
    int64_t CharsReceived() const { return charsReceived_; }

  private:
    KList definitions_;
    KRemote collector_;
    KString sourceName_{31, 255};
    int32_t definitionBase_ = 0;
    int32_t position_ = 0;
    int64_t charsReceived_ = 0;
    TPacketSink* packets_ = nullptr;
    TTraceSink* trace_ = nullptr;
    TRemoteHandler* remote_ = nullptr;
    KString eventText_{63, 1023};
};
