#pragma once

#include "KList.h"
#include "KString.h"
#include "TField.h"

class TScript;

// One packet definition of a source script: a header to hunt for, a body
// ended by a trailer or a body length, and the text fields cut from it.
class TFields : public KListItem {
public:
    // The packet buffer is allocated here at its full capacity and never grows.
    TFields(TScript* owner, int32_t bufferCapacity);
    const char* ClassName() const override { return "TFields"; }

    // Applies one definition line; false when its first column holds no key.
    bool ParseDefinitionLine(const KString& line);
    // Offers one received character to the framing.
    void FeedChar(KChar c);
    // The first text field with exactly this name, or null.
    TField* FindField(const KString& fieldName) const;
    // Position among all definitions of all sources; -1 without a source.
    int32_t DefinitionIndex() const;
    // "{source definition HDR}" and the like.
    void AppendEventText(KString& out, bool header, bool body) const;

    TField* FirstField() const { return static_cast<TField*>(fields.Head()); }

    TScript* owner;
    KString31 name;
    bool inBody = false;
    TField header{this};
    KString buffer;
    int32_t bodyLength = -1;
    TField trailer{this};
    KList fields;

private:
    // Whether the field, extracted from what the buffer shows, equals its
    // pattern; without a process text the comparison needs no extraction.
    bool Matches(TField& field);
    void Complete();
    void Emit(bool header, bool body);
};

// The integer of a script value: 0x hexadecimal, leading 0 octal, else
// decimal with a sign; false when no digit was read.
bool ParseScriptInt(const KString& value, int32_t* out);
