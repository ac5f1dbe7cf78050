#include "TReceiver.h"

#include <algorithm>
#include <new>

#include "KBufferedFile.h"
#include "KDataName.h"
#include "KFile.h"
#include "KLog.h"

namespace {

// A script line beyond this many characters is cut; the file is read on.
constexpr int32_t kMaxLine = 1 << 24;

}  // namespace

const KString TReceiver::kNoName(u"");

int TReceiver::EncodingOfCodeSet(int32_t codeSet) {
    static const int kEncodings[] = {KStream::kSingleByte, KStream::kUtf16, KStream::kNative};
    return codeSet >= 0 && codeSet <= 2 ? kEncodings[codeSet] : KStream::kSingleByte;
}

bool TReceiver::LoadScript(const KString& folder, const KString& scriptName,
                           int32_t bufferCapacity) {
    bufferCapacity = std::clamp(bufferCapacity, 1, kMaxBufferSize);
    KString path(255, KFile::kMaxPath);
    KResolveDataName(folder, scriptName, path);
    KBufferedFile file(path, KBufferedFile::kDefaultSize);
    if (file.TryOpen(KFile::kRead | KFile::kShareRead | KFile::kRegularOnly, false) != 0)
        return false;
    definitions_.Clear();
    try {
        ReadDefinitions(file, bufferCapacity);
    } catch (const std::bad_alloc&) {
        // Buffers the machine cannot give: the script is not loaded.
        definitions_.Clear();
        return false;
    }
    return true;
}

void TReceiver::ReadDefinitions(KStream& file, int32_t bufferCapacity) {
    TFields* current = nullptr;
    KString line(255, kMaxLine);
    while (file.Peek()) {
        line.Empty();
        while (file.Peek()) {
            KChar c = file.GetChar();
            if (c == 10) break;
            line.AppendChar(c);
        }
        if (line.CharAt(0) == u';') {
            if (line.CharAt(1) == u';') {
                auto definition = std::make_unique<TFields>(this, bufferCapacity);
                current = definition.get();
                line.SubString(current->name, 2, line.Length());
                definitions_.Add(std::move(definition));
            }
        } else if (!line.IsEmpty() && current) {
            current->ParseDefinitionLine(line);
        }
    }
}

bool TReceiver::ReceiveAvailable(KStream& channel) {
    for (int32_t budget = kCallBudget; channel.Peek(); --budget) {
        if (budget == 0) return true;
        const KChar c = channel.GetChar();
        ++charsReceived_;
        if (trace_) trace_->TraceChar(*this, c);
        bool inPacket = false;
        for (TFields& definition : definitions_) {
            inPacket |= definition.inBody;
            definition.FeedChar(c);
            inPacket |= definition.inBody;
        }
        if (inPacket) {
            collector_.Clear();
            continue;
        }
        switch (collector_.Feed(c)) {
            case KRemote::kCollecting:
                break;
            case KRemote::kComplete:
                if (remote_) remote_->ExecuteRemote(*this, collector_.Line());
                collector_.Done();
                return true;
            case KRemote::kDropped:
                LogDroppedLine();
                break;
        }
    }
    return false;
}

void TReceiver::LogDroppedLine() {
    // A sender that keeps sending such lines would fill the log otherwise.
    if (droppedLogged_) return;
    droppedLogged_ = true;
    KString message(127, 4095);
    message.Append(u"TReceiver::ReceiveAvailable: source \"")
        .Append(SourceName())
        .Append(u"\" sent a remote command line longer than ")
        .AppendInt(KRemote::kMaxLine)
        .Append(u" characters: dropped, not executed (later ones are dropped without a message)");
    KLog::WriteProgram(message, u'E');
}

void TReceiver::Deliver(TFields& definition) {
    if (packets_) packets_->DeliverPacket(definition);
}

void TReceiver::Event(const TFields& definition, bool header, bool body) {
    if (!trace_) return;
    eventText_.Empty();
    definition.AppendEventText(eventText_, header, body);
    trace_->TraceEvent(*this, eventText_);
}
