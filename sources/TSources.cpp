#include "TSources.h"

#include <algorithm>
#include <cstdio>

#include "KLog.h"
#include "KRValues.h"
#include "KUtf8.h"
#include "KX.h"
#include "TChannelMenus.h"
#include "TFields.h"
#include "TPortSpec.h"

namespace {

const KString& Text(KRegistry& settings, const char16_t* path) {
    return settings.StringOf(KString(path));
}

}  // namespace

KRGroup* TSources::SourceGroup(KRNode& node, int32_t* number) {
    auto* group = dynamic_cast<KRGroup*>(&node);
    int32_t n;
    if (!group || !ParseScriptInt(node.name, &n)) return nullptr;
    if (number) *number = n;
    return group;
}

// Sources

TSource::TSource(TSources& owner, KRGroup& group) : group(group), owner_(owner) {}

TSource::~TSource() {
    if (scriptSetting_) scriptSetting_->SetHook({});
    if (port_) port_->SetHook({});
    if (charMode_) charMode_->SetHook({});
    channel.reset();
}

const KString& TSource::SourceName() const {
    return script.SourceName();
}

bool TSource::LoadScript(const KString& name) {
    KString folder;
    KAppendUtf8(folder, owner_.Folder());
    return script.LoadScript(folder, name, owner_.BufferCapacity());
}

bool TSource::BindSettings() {
    // The receiver reads the setting's own text, so a rename shows at once.
    if (KRString* name = group.Find<KRString>(u"Name")) script.SetSourceName(name->value);
    scriptSetting_ = group.Find<KRString>(u"Script");
    if (!scriptSetting_) return false;
    scriptSetting_->SetHook(
        [this](KRString& setting, const KString& value) { return ScriptSet(setting, value); });
    // The configured script, or the default one when that cannot be loaded.
    if (!LoadScript(scriptSetting_->value)) {
        const KString fallback(TSources::kDefaultScript);
        LogScriptNotLoaded(scriptSetting_->value, fallback);
        if (!LoadScript(fallback)) return false;
    }
    port_ = group.Find<KRString>(u"SerialPort");
    if (!port_) return false;
    port_->SetHook(
        [this](KRString& setting, const KString& value) { return PortSet(setting, value); });
    ApplyPort();
    charMode_ = group.Find<KRInt>(u"CharMode");
    if (!charMode_) return false;
    charMode_->SetHook([this](KRInt& setting, int32_t value) {
        setting.value = value;
        ApplyCharMode();
    });
    ApplyCharMode();
    return true;
}

void TSource::LogScriptNotLoaded(const KString& name, const KString& used) const {
    KString message(127, 4095);
    message.Append(u"TSource::LoadScript: source \"")
        .Append(SourceName())
        .Append(u"\" cannot load the script \"")
        .Append(name)
        .Append(u"\"");
    if (used.IsEmpty()) {
        message.Append(u" and keeps the one it had");
    } else {
        message.Append(u" and uses \"").Append(used).Append(u"\" in its place");
    }
    KLog::WriteProgram(message, u'E');
}

void TSource::ApplyPort() {
    channel = SelectPortChannel(owner_.SourceChannels(), port_->value, std::move(channel));
    channel->OpenChannel(port_->value);
    ApplyCharMode();
}

void TSource::ApplyCharMode() {
    if (!channel || !charMode_) return;
    const int encoding = TReceiver::EncodingOfCodeSet(charMode_->value);
    channel->SetReadEncoding(encoding);
    channel->SetWriteEncoding(encoding);
    channel->SetSwapBytes(false);
}

bool TSource::IsRunning() {
    return channel && channel->IsOpen();
}

bool TSource::ScriptSet(KRString& setting, const KString& value) {
    if (setting.value.Equals(value)) return true;
    setting.value.Assign(value);
    if (LoadScript(value)) {
        owner_.Renumber();
    } else {
        LogScriptNotLoaded(value, KString(u""));
    }
    return true;
}

bool TSource::PortSet(KRString& setting, const KString& value) {
    const KString spec(value);
    owner_.ReleasePort(spec, setting);
    setting.value.Assign(spec);
    ApplyPort();
    return true;
}

// The list

void TSources::Prepare(KRegistry& settings, bool configLoaded) {
    KRGroup* sources = settings.FindGroup(KString(u"\\Sources\\"));
    if (!sources) return;
    for (KRNode& node : sources->children) {
        KRGroup* source = SourceGroup(node, nullptr);
        KRString* script = source ? source->Find<KRString>(u"Script") : nullptr;
        if (script && script->value.IsEmpty()) script->value.Assign(KString(kDefaultScript));
    }
    if (!configLoaded) AddGroup(settings, KString(u"1,9600,8,N,1.0"));
}

KRGroup* TSources::AddGroup(KRegistry& settings, const KString& port) {
    KRGroup* sources = settings.FindGroup(KString(u"\\Sources\\"));
    if (!sources) return nullptr;
    int32_t largest = 0;
    for (KRNode& node : sources->children) {
        int32_t n;
        if (SourceGroup(node, &n)) largest = std::max(largest, n);
    }
    // No number follows the largest one there is.
    if (largest == INT32_MAX) return nullptr;
    KString prefix(u"Sources\\");
    KString line(63, 4095);
    auto apply = [&](const char16_t* rest, const KString* value) {
        line.Empty();
        line.Append(prefix).AppendInt(largest + 1).Append(rest);
        if (value) line.Append(*value);
        settings.ApplyLine(line);
    };
    apply(u"\\:=", nullptr);
    apply(u"\\Name:String=", &Text(settings, u"\\Strings\\Sources\\DefaultName"));
    const KString script(kDefaultScript);
    apply(u"\\Script:String=", &script);
    apply(u"\\SerialPort:String=", &port);
    apply(u"\\CharMode:Int=0", nullptr);
    line.Empty();
    line.Append(KString(u"\\Sources\\")).AppendInt(largest + 1).AppendChar(u'\\');
    return settings.FindGroup(line);
}

TSources::TSources(KRegistry& settings, const std::string& folder, TPacketSink* packets,
                   TRemoteHandler* remote)
    : settings_(settings), folder_(folder), packets_(packets), remote_(remote), trace_(settings) {
    BuildSourceChannels(sourceChannels_, settings);
    if (KRGroup* group = settings.FindGroup(KString(u"\\Sources\\"))) {
        int32_t position = 0;
        for (KRNode& node : group->children) {
            KRGroup* settingsGroup = SourceGroup(node, nullptr);
            if (!settingsGroup) continue;
            auto source = std::make_unique<TSource>(*this, *settingsGroup);
            source->script.SetSinks(this, nullptr, remote_);
            source->script.SetSourcePosition(position);
            if (!source->BindSettings()) continue;
            sources_.Add(std::move(source));
            ++position;
        }
    }
    Renumber();
}

TSources::~TSources() {
    sources_.Clear();
}

int32_t TSources::BufferCapacity() const {
    const KRInt* size = settings_.FindInt(KString(u"\\Sources\\Fields\\BufferSize"));
    return size && size->value > 0 ? size->value : TReceiver::kDefaultBufferSize;
}

void TSources::Renumber() {
    int32_t base = 0;
    for (TSource& source : sources_) {
        TReceiver& script = source.script;
        script.SetDefinitionBase(base);
        base += script.Definitions().Count();
    }
}

void TSources::ReleasePort(const KString& spec, KRString& taker) {
    const TPortSpec wanted = TPortSpec::Parse(spec);
    if (wanted.kind != TPortSpec::kSerial) return;
    taker.value.Assign(KString(u"0"));  // so that it does not match itself
    KRGroup* group = settings_.FindGroup(KString(u"\\Sources\\"));
    if (!group) return;
    for (KRNode& node : group->children) {
        KRGroup* source = SourceGroup(node, nullptr);
        KRString* port = source ? source->Find<KRString>(u"SerialPort") : nullptr;
        if (!port) continue;
        TPortSpec other = TPortSpec::Parse(port->value);
        if (other.kind != TPortSpec::kSerial || other.port != wanted.port) continue;
        // The same line settings on port 0; a refresh period is not kept.
        other.port = 0;
        other.refresh = 0;
        KString released(31, 255);
        other.Write(released);
        port->Set(released);
    }
}

const KString& TSources::SourceStatus(const KRGroup& group) {
    KRGroup& g = const_cast<KRGroup&>(group);
    const KRString* port = g.Find<KRString>(u"SerialPort");
    TSource* live = nullptr;
    for (TSource& source : sources_)
        if (&source.group == &group) live = &source;
    if (!port || !live) return Text(settings_, u"\\Strings\\Options\\Source\\NotLoaded");
    if (TPortSpec::Parse(port->value).kind == TPortSpec::kNone)
        return Text(settings_, u"\\Strings\\Options\\Source\\NotRunning");
    if (live->IsRunning()) return Text(settings_, u"\\Strings\\Options\\Source\\Running");
    return Text(settings_, u"\\Strings\\Options\\Source\\NotConnected");
}

bool TSources::Poll() {
    const bool tracing = trace_.BeginPoll();
    bool received = false;
    for (TSource& source : sources_) {
        if (!source.IsRunning()) continue;
        source.script.SetTrace(tracing ? &trace_ : nullptr);
        const int64_t before = source.script.CharsReceived();
        source.script.ReceiveAvailable(*source.channel);
        received |= source.script.CharsReceived() != before;
    }
    if (tracing) trace_.ReadCommands();
    return received;
}

void TSources::WaitDescriptors(std::vector<int>& out) const {
    for (const TSource& source : sources_) {
        if (source.channel) source.channel->WaitDescriptors(out);
    }
    trace_.WaitDescriptors(out);
}

int64_t TSources::PollDueIn() const {
    int64_t due = trace_.PollDueIn();
    for (const TSource& source : sources_)
        if (source.channel) due = std::min(due, source.channel->PollDueIn());
    return due;
}

void TSources::DeliverPacket(TFields& definition) {
    if (packets_) packets_->DeliverPacket(definition);
}
