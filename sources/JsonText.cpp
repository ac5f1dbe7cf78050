#include "JsonText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "KUtf8.h"
#include "TReceiver.h"

namespace {

bool IsPlain(KChar c) {
    return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

}  // namespace

void AppendJsonString(std::string& out, const KString& text) {
    out += '"';
    const KChar* chars = text.Chars();
    const int32_t length = text.Length();
    for (int32_t i = 0; i < length; ++i) {
        // Most of what a timing system sends is plain ASCII: a run of it is
        // copied in one step.
        int32_t end = i;
        while (end < length && IsPlain(chars[end])) ++end;
        if (end > i) {
            const size_t at = out.size();
            out.resize(at + static_cast<size_t>(end - i));
            std::copy(chars + i, chars + end, out.begin() + static_cast<std::ptrdiff_t>(at));
            i = end - 1;
            continue;
        }
        uint32_t c = chars[i];
        const KChar next = text.CharAt(i + 1);
        if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            KAppendUnitUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00));
            ++i;
            continue;
        }
        char escape[8];
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) {
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    KAppendUnitUtf8(out, c);
                }
        }
    }
    out += '"';
}

void AppendPacketMembers(std::string& out, const TFields& definition) {
    out += "\"packet\":";
    AppendJsonString(out, definition.name);
    out += ",\"index\":";
    char index[12];
    out.append(index, std::to_chars(index, index + sizeof index, definition.DefinitionIndex()).ptr);
    out += ",\"fields\":[";
    for (const TField& field : definition.fields) {
        out += &field == definition.fields.Head() ? "{\"name\":" : ",{\"name\":";
        AppendJsonString(out, field.name);
        out += ",\"value\":";
        AppendJsonString(out, field.value);
        out += field.extracted ? ",\"extracted\":true}" : ",\"extracted\":false}";
    }
    out += ']';
}

namespace {

void BeginObject(std::string& out, const KString& source) {
    out = "{\"source\":";
    AppendJsonString(out, source);
    out += ',';
}

}  // namespace

void WritePacketObject(std::string& out, const TFields& definition) {
    static const KString noSource;
    BeginObject(out, definition.owner ? definition.owner->SourceName() : noSource);
    AppendPacketMembers(out, definition);
    out += '}';
}

void WriteRemoteObject(std::string& out, const KString& source, const KString& line) {
    BeginObject(out, source);
    out += "\"remote\":";
    AppendJsonString(out, line);
    out += '}';
}

void WriteStatusObject(std::string& out, const KString& source, const KString& status) {
    BeginObject(out, source);
    out += "\"status\":";
    AppendJsonString(out, status);
    out += '}';
}
