#pragma once

#include <algorithm>
#include <vector>

#include "KList.h"
#include "KString.h"
#include "TField.h"

class TReceiver;

// One packet definition of a source script: a header to hunt for, a body
// ended by a trailer or a body length, and the text fields cut from it.
class TFields : public KListItem {
  public:
    // The packet buffer is allocated here at its full capacity and never grows.
    TFields(TReceiver* owner, int32_t bufferCapacity);
    const char* ClassName() const override { return "TFields"; }

    // Applies one definition line; false when its first column holds no key.
    bool ParseDefinitionLine(const KString& line);
    // Offers one received character to the framing. Hunting for a header
    // without process text, the common case, is done inline.
    void FeedChar(KChar c) {
        if (inBody || !plainHeader_) {
            FeedCharInBody(c);
            return;
        }
        // The state is the length of the longest start of the pattern that
        // ends the characters seen so far; on a mismatch it falls back along
        // the pattern's own repeats, so every character is looked at once.
        const KChar* pattern = header.name.Chars();
        int32_t matched = headerMatched_;
        while (matched > 0 && pattern[matched] != c) matched = headerFallback_[matched - 1];
        if (pattern[matched] == c) ++matched;
        if (matched == header.length) {
            headerMatched_ = 0;
            EnterBody();
        } else {
            headerMatched_ = matched;
        }
    }
    // The first text field with exactly this name, or null.
    TField* FindField(const KString& fieldName) const;
    // Position among all definitions of all sources; -1 without a source.
    int32_t DefinitionIndex() const;
    // "{source definition HDR}" and the like.
    void AppendEventText(KString& out, bool header, bool body) const;

    TField* FirstField() const { return fields.Head(); }

    TReceiver* owner;
    KString31 name;
    bool inBody = false;
    TField header{this};
    KString buffer;
    int32_t bodyLength = -1;
    TField trailer{this};
    KListOf<TField> fields;

  private:
    // Whether the field, extracted from what the buffer shows, equals its pattern.
    bool Matches(TField& field);
    // Whether the last characters of the buffer, the newest being c, are a
    // pattern without process text.
    bool EndsWithPattern(const TField& field, KChar c) const {
        const int32_t n = field.length;
        if (n <= 0) return n == 0 && field.name.IsEmpty();
        const KChar* pattern = field.name.Chars();
        if (field.name.Length() != n || c != pattern[n - 1] || buffer.Length() < n) return false;
        const KChar* tail = buffer.Chars() + buffer.Length() - n;
        return std::equal(tail, tail + n - 1, pattern);
    }
    void FeedCharInBody(KChar c);
    void Hunt(KChar c);
    void EnterBody();
    // Notes whether header and trailer can be matched without extraction.
    void UpdateMatching();

    bool plainHeader_ = false;
    int32_t headerMatched_ = 0;
    // For each start of the header pattern, the longest shorter start that
    // also ends it.
    std::vector<int32_t> headerFallback_;
    bool plainTrailer_ = false;
    void Complete();
    void Emit(bool header, bool body);
};

// The integer of a script value: 0x hexadecimal, leading 0 octal, else
// decimal with a sign; false when no digit was read.
bool ParseScriptInt(const KString& value, int32_t* out);
