#pragma once

#include "KList.h"
#include "KRemote.h"
#include "KStream.h"
#include "KString.h"
#include "TFields.h"
#include "TReceiverSinks.h"

// A source's receive path: the packet definitions of its script, the remote
// command collector, and the per-character work that feeds them from a
// channel. Delivery, trace and remote lines leave through the sinks.
class TReceiver {
  public:
    static constexpr int32_t kDefaultBufferSize = 32767;
    // Every definition holds a packet buffer of this many characters at most,
    // whatever the setting asks for.
    static constexpr int32_t kMaxBufferSize = 1 << 24;

    // Loads a script file named by data, resolved against folder, with packet
    // buffers of bufferCapacity characters (1 to kMaxBufferSize). True when
    // the file was opened and read to its end; a file that cannot be opened
    // leaves the definitions as they were, and one whose buffers cannot be
    // allocated leaves none.
    bool LoadScript(const KString& folder, const KString& scriptName, int32_t bufferCapacity);

    // The text encoding of a code set: 0 single bytes, 1 UTF-16, 2 UTF-8;
    // any other value reads single bytes.
    static int EncodingOfCodeSet(int32_t codeSet);

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

    KListOf<TFields>& Definitions() { return definitions_; }
    const KListOf<TFields>& Definitions() const { return definitions_; }
    const KString& SourceName() const { return *sourceName_; }
    // The name is the owner's own text, read at every use, so that a rename
    // shows everywhere at once; the owner keeps it alive.
    void SetSourceName(const KString& name) { sourceName_ = &name; }
    void SetSourceName(KString&&) = delete;
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
    void ReadDefinitions(KStream& file, int32_t bufferCapacity);
    // Logs the first remote command line of this source that was too long.
    void LogDroppedLine();

    KListOf<TFields> definitions_;
    KRemote collector_;
    const KString* sourceName_ = &kNoName;
    static const KString kNoName;
    int32_t definitionBase_ = 0;
    int32_t position_ = 0;
    int64_t charsReceived_ = 0;
    bool droppedLogged_ = false;
    TPacketSink* packets_ = nullptr;
    TTraceSink* trace_ = nullptr;
    TRemoteHandler* remote_ = nullptr;
    KString eventText_{63, 1023};
};
