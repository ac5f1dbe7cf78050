#include "TWebFields.h"

#include "JsonText.h"
#include "TField.h"
#include "TFields.h"
#include "TReceiver.h"

namespace {

std::string JsonString(const KString& text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

}  // namespace

TWebFields::Source& TWebFields::SourceNamed(const std::string& name) {
    for (Source& source : sources_)
        if (source.name == name) return source;
    Source& source = sources_.emplace_back();
    source.name = name;
    return source;
}

void TWebFields::Packet(const TFields& definition) {
    static const KString noSource;
    std::string members;
    for (const KListItem* p = definition.fields.Head(); p; p = p->Next()) {
        const auto* field = static_cast<const TField*>(p);
        if (!members.empty()) members += ',';
        AppendJsonString(members, field->name);
        members += ':';
        AppendJsonString(members, field->value);
    }
    const std::string packet = JsonString(definition.name);
    std::lock_guard lock(mutex_);
    Source& source =
        SourceNamed(JsonString(definition.owner ? definition.owner->SourceName() : noSource));
    bool known = false;
    for (auto& [name, values] : source.packets) {
        if (name != packet) continue;
        values = std::move(members);
        known = true;
        break;
    }
    if (!known) source.packets.emplace_back(packet, std::move(members));
    WritePacketObject(object_, definition);
    Broadcast(object_);
}

void TWebFields::Remote(const KString& source, const KString& line) {
    std::lock_guard lock(mutex_);
    SourceNamed(JsonString(source));
    WriteRemoteObject(object_, source, line);
    Broadcast(object_);
}

void TWebFields::Status(const KString& source, const KString& status) {
    std::lock_guard lock(mutex_);
    SourceNamed(JsonString(source)).status = JsonString(status);
    WriteStatusObject(object_, source, status);
    Broadcast(object_);
}

void TWebFields::Broadcast(const std::string& object) {
    for (Listener& listener : listeners_) {
        if (listener.stopped) continue;
        if (listener.bytes + object.size() > kMaxWaiting) {
            listener.stopped = true;
            listener.waiting.clear();
            listener.bytes = 0;
            continue;
        }
        listener.waiting.push_back(object);
        listener.bytes += object.size();
    }
    arrived_.notify_all();
}

std::string TWebFields::Snapshot() const {
    std::lock_guard lock(mutex_);
    std::string out = "{\"sources\":[";
    for (const Source& source : sources_) {
        if (&source != &sources_.front()) out += ',';
        out += "{\"name\":" + source.name + ",\"status\":" + source.status + ",\"packets\":{";
        for (const auto& [name, values] : source.packets) {
            if (&name != &source.packets.front().first) out += ',';
            out += name + ":{" + values + '}';
        }
        out += "}}";
    }
    out += "]}";
    return out;
}

TWebFields::Listener* TWebFields::Join() {
    std::lock_guard lock(mutex_);
    return &listeners_.emplace_back();
}

void TWebFields::Leave(Listener* listener) {
    std::lock_guard lock(mutex_);
    listeners_.remove_if([listener](const Listener& l) { return &l == listener; });
}

void TWebFields::Stop(Listener* listener) {
    {
        std::lock_guard lock(mutex_);
        listener->stopped = true;
    }
    arrived_.notify_all();
}

bool TWebFields::Take(Listener* listener, std::deque<std::string>& out) {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [listener] { return listener->stopped || !listener->waiting.empty(); });
    if (listener->stopped) return false;
    out.clear();
    out.swap(listener->waiting);
    listener->bytes = 0;
    return true;
}
