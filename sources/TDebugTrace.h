#pragma once

#include <cstdint>
#include <memory>

#include "KRegistry.h"
#include "KStream.h"
#include "KStreamMenu.h"
#include "TReceiverSinks.h"

// The debug port: a channel, chosen by the Sources\DebugPort setting, that
// shows as readable text every character the sources receive and every
// packet event, 64 characters to a line, each line numbered with the count
// of characters traced before it. A digit typed on the port limits the
// trace to one source ("1" the first, "0" all again). Channel failures only
// lose trace text.
class TDebugTrace : public TTraceSink {
  public:
    // Binds the setting; the port follows its changes.
    explicit TDebugTrace(KRegistry& settings);
    ~TDebugTrace() override;
    TDebugTrace(const TDebugTrace&) = delete;
    TDebugTrace& operator=(const TDebugTrace&) = delete;

    // At the start of a poll: whether the port is active. While it is not,
    // the filter, the count and the line are reset, so the first character
    // after a client connects starts line 000000.
    bool BeginPoll();
    // At the end of a poll in which it is active: the characters typed on
    // the port, each echoed, then the trace text sent on its way.
    void ReadCommands();

    // The port's channel, for a loop that sleeps until input or a poll is due.
    void WaitDescriptors(std::vector<int>& out) const {
        if (channel_) channel_->WaitDescriptors(out);
    }
    int64_t PollDueIn() const { return channel_ ? channel_->PollDueIn() : KClock::kNever; }

    void TraceChar(const TReceiver& source, KChar c) override;
    void TraceEvent(const TReceiver& source, const KString& text) override;

    // "\r\n" and the count with at least six digits and a colon: the start
    // of a trace line.
    static void AppendLineStart(KString& out, uint64_t count);

    // The channel kinds the port can use; a kind registered here is
    // chosen when the setting next changes.
    KStreamMenu& Channels() { return channels_; }

  private:
    void Apply(const KString& spec);
    void Write(const KString& text);
    void NewLine();
    bool Passes(const TReceiver& source) const;

    KStreamMenu channels_;
    std::unique_ptr<KStream> channel_;
    KRString* setting_ = nullptr;
    bool active_ = false;
    int32_t filter_ = -1;
    // Characters traced since the last reset; 64 bits never run over.
    uint64_t count_ = 0;
    int32_t lineBudget_ = 0;
    KString text_{63, 1023};
};
