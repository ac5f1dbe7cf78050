#include "JsonText.h"

#include <cstdio>

#include "KUtf8.h"

void AppendJsonString(std::string& out, const KString& text) {
    out += '"';
    for (int32_t i = 0; i < text.Length(); ++i) {
        uint32_t c = text.CharAt(i);
        // Most of what a timing system sends is plain ASCII.
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            out += static_cast<char>(c);
            continue;
        }
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
    char index[40];
    std::snprintf(index, sizeof index, ",\"index\":%d,\"fields\":[",
                  static_cast<int>(definition.DefinitionIndex()));
    out += index;
    for (const KListItem* p = definition.fields.Head(); p; p = p->Next()) {
        const auto* field = static_cast<const TField*>(p);
        out += p == definition.fields.Head() ? "{\"name\":" : ",{\"name\":";
        AppendJsonString(out, field->name);
        out += ",\"value\":";
        AppendJsonString(out, field->value);
        out += field->extracted ? ",\"extracted\":true}" : ",\"extracted\":false}";
    }
    out += ']';
}
