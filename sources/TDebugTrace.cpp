#include "TDebugTrace.h"

#include "KCharClass.h"
#include "KRValues.h"
#include "KX.h"
#include "TChannelMenus.h"
#include "TReceiver.h"

TDebugTrace::TDebugTrace(KRegistry& settings) {
    BuildDebugChannels(channels_, settings);
    setting_ = settings.FindString(KString(u"\\Sources\\DebugPort"));
    if (!setting_) return;
    setting_->SetHook([this](KRString& setting, const KString& value) {
        setting.value.Assign(value);
        Apply(setting.value);
        return true;
    });
    Apply(setting_->value);
}

TDebugTrace::~TDebugTrace() {
    if (setting_) setting_->SetHook({});
    channel_.reset();
    channels_.Clear();
}

void TDebugTrace::Apply(const KString& spec) {
    channel_ = SelectPortChannel(channels_, spec, std::move(channel_));
    channel_->OpenChannel(spec);
}

bool TDebugTrace::BeginPoll() {
    active_ = channel_ && channel_->IsOpen();
    if (!active_) {
        filter_ = -1;
        count_ = 0;
        lineBudget_ = 0;
    }
    return active_;
}

void TDebugTrace::ReadCommands() {
    try {
        while (channel_->Peek()) {
            const KChar c = channel_->GetChar();
            if (KIsDigit(c)) filter_ = c - u'0' - 1;
            // A lost echo loses only itself: the trace is still sent below.
            try {
                channel_->PutChar(c);
            } catch (const KX&) {
            }
        }
    } catch (const KX&) {
        return;  // the port failed while reading: nothing more this poll
    }
    try {
        channel_->Flush();
    } catch (const KX&) {
    }
}

void TDebugTrace::AppendLineStart(KString& out, uint64_t count) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "\r\n%06llu:", static_cast<unsigned long long>(count));
    out.AppendNarrow(digits);
}

void TDebugTrace::Write(const KString& text) {
    if (!active_) return;
    if (lineBudget_ < text.Length()) NewLine();
    try {
        channel_->WriteText(text);
    } catch (const KX&) {
    }
    lineBudget_ -= text.Length();
}

void TDebugTrace::NewLine() {
    KString31 line;
    AppendLineStart(line, count_);
    try {
        channel_->WriteText(line);
    } catch (const KX&) {
    }
    lineBudget_ = 64;
}

bool TDebugTrace::Passes(const TReceiver& source) const {
    return filter_ < 0 || filter_ == source.SourcePosition();
}

void TDebugTrace::TraceChar(const TReceiver& source, KChar c) {
    if (!active_ || !Passes(source)) return;
    text_.Empty();
    if (c >= 32 && c <= 126) {
        text_.AppendChar(c);
    } else {
        text_.AppendChar(u'[').AppendUnsigned(c, "%02X").AppendChar(u']');
    }
    Write(text_);
    ++count_;
}

void TDebugTrace::TraceEvent(const TReceiver& source, const KString& text) {
    if (!active_ || !Passes(source)) return;
    NewLine();
    Write(text);
    NewLine();
}
