#include "TWebFields.h"

#include <algorithm>

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

TWebFields::Report TWebFields::PacketReport(const TFields& definition) {
    static const KString noSource;
    Report report;
    report.source = JsonString(definition.owner ? definition.owner->SourceName() : noSource);
    report.packet = JsonString(definition.name);
    for (const TField& field : definition.fields) {
        if (!report.values.empty()) report.values += ',';
        AppendJsonString(report.values, field.name);
        report.values += ':';
        AppendJsonString(report.values, field.value);
    }
    WritePacketObject(report.object, definition);
    return report;
}

TWebFields::Report TWebFields::RemoteReport(const KString& source, const KString& line) {
    Report report;
    report.source = JsonString(source);
    WriteRemoteObject(report.object, source, line);
    return report;
}

TWebFields::Report TWebFields::StatusReport(const KString& source, const KString& status) {
    Report report;
    report.source = JsonString(source);
    report.status = JsonString(status);
    WriteStatusObject(report.object, source, status);
    return report;
}

void TWebFields::Publish(const Report& report) {
    std::lock_guard lock(mutex_);
    Source& source = SourceNamed(report.source);
    if (!report.status.empty()) source.status = report.status;
    if (!report.packet.empty()) {
        auto known = std::find_if(source.packets.begin(), source.packets.end(),
                                  [&report](const auto& p) { return p.first == report.packet; });
        if (known != source.packets.end())
            known->second = report.values;
        else
            source.packets.emplace_back(report.packet, report.values);
    }
    for (Listener& listener : listeners_) {
        if (listener.stopped) continue;
        if (listener.bytes + report.object.size() > kMaxWaiting) {
            // Too far behind: stopped, and its connection closed when its
            // sender sees it.
            listener.stopped = true;
            listener.waiting.clear();
            listener.bytes = 0;
            continue;
        }
        listener.waiting.push_back(report.object);
        listener.bytes += report.object.size();
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
