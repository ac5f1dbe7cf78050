#include "TFields.h"

#include <algorithm>

#include "TReceiver.h"

namespace {

// A column of a definition line, cut to 255 characters.
using Column = KString255;

// Removes a key from the front of a column; false when the column does not
// begin with it (letter case ignored).
bool TakeKey(KString& column, const char16_t* key) {
    const KString k(key);
    if (!column.StartsWithIgnoreCase(k)) return false;
    column.Delete(0, k.Length());
    return true;
}

}  // namespace

bool ParseScriptInt(const KString& value, int32_t* out) {
    KString text(value.Chars(), value.Length());
    if (text.ParseInt(out, 0)) return true;
    if (value.CharAt(0) != u'0') return false;
    *out = 0;  // "0x" without digits is the leading "0"
    return true;
}

TFields::TFields(TReceiver* owner, int32_t bufferCapacity)
    : owner(owner), buffer(std::max(bufferCapacity, 1), 0) {}

bool TFields::ParseDefinitionLine(const KString& line) {
    Column column;
    int32_t at = 0;
    line.NextField(column, &at);
    TField* subject;
    if (TakeKey(column, u"bodylength=")) {
        ParseScriptInt(column, &bodyLength);
        return true;
    } else if (TakeKey(column, u"header=")) {
        subject = &header;
    } else if (TakeKey(column, u"trailer=")) {
        subject = &trailer;
    } else if (TakeKey(column, u"textfield=")) {
        auto field = std::make_unique<TField>(this);
        subject = field.get();
        fields.Add(std::move(field));
    } else {
        return false;
    }
    if (subject == &header || subject == &trailer) ExpandEscapes(column);
    subject->name.Assign(column);
    for (column.Empty(); line.NextField(column, &at); column.Empty()) {
        if (TakeKey(column, u"length=")) {
            ParseScriptInt(column, &subject->length);
        } else if (TakeKey(column, u"process=")) {
            subject->process.Assign(column);
        } else if (TakeKey(column, u"stop=")) {
            ExpandEscapes(column);
            subject->stop.Assign(column);
        }
    }
    UpdateMatching();
    return true;
}

void TFields::UpdateMatching() {
    // A plain header is compared character by character as it arrives; one
    // whose pattern differs in length from its length never matches and
    // takes the general path, which finds that out.
    plainHeader_ = header.length >= 1 && header.length <= buffer.Capacity() &&
                   header.process.IsEmpty() && header.name.Length() == header.length;
    headerMatched_ = 0;
    headerFallback_.assign(static_cast<size_t>(plainHeader_ ? header.length : 0), 0);
    const KChar* pattern = header.name.Chars();
    for (int32_t i = 1, k = 0; i < static_cast<int32_t>(headerFallback_.size()); ++i) {
        while (k > 0 && pattern[i] != pattern[k]) k = headerFallback_[k - 1];
        if (pattern[i] == pattern[k]) ++k;
        headerFallback_[i] = k;
    }
    plainTrailer_ = trailer.process.IsEmpty();
}

bool TFields::Matches(TField& field) {
    return field.Extract(buffer) && field.value.Equals(field.name);
}

void TFields::EnterBody() {
    inBody = true;
    buffer.Empty();
    Emit(true, false);
}

// Hunting for a header that must be extracted to be compared.
void TFields::Hunt(KChar c) {
    const int32_t h = header.length;
    if (buffer.Length() >= h) buffer.Delete(0, buffer.Length() - std::max(h - 1, 0));
    buffer.AppendChar(c);
    if (buffer.Length() != h) return;
    const bool matched = Matches(header);
    buffer.Seek(0, 0);
    if (matched) EnterBody();
}

void TFields::FeedCharInBody(KChar c) {
    if (buffer.Length() >= buffer.Capacity()) {
        buffer.Empty();
        inBody = false;
    }
    if (!inBody) {
        if (plainHeader_) {
            FeedChar(c);
        } else {
            Hunt(c);
        }
        return;
    }
    buffer.AppendChar(c);
    if (bodyLength >= 0) {
        if (buffer.Length() >= bodyLength) Complete();
        return;
    }
    const int32_t t = trailer.length;
    if (t < 0 || buffer.Length() < t) return;
    bool matched;
    if (plainTrailer_) {
        matched = EndsWithPattern(trailer, c);
    } else {
        buffer.Seek(buffer.Length() - t, 1);
        matched = Matches(trailer);
        buffer.Seek(0, 0);
    }
    if (!matched) return;
    buffer.Truncate(buffer.Length() - t);
    Complete();
}

void TFields::Complete() {
    bool any = false;
    for (TField& field : fields) any |= field.Extract(buffer);
    buffer.Empty();
    if (any && owner) owner->Deliver(*this);
    inBody = false;
    Emit(false, any);
}

void TFields::Emit(bool isHeader, bool body) {
    if (owner) owner->Event(*this, isHeader, body);
}

void TFields::AppendEventText(KString& out, bool isHeader, bool body) const {
    out.AppendChar(u'{');
    if (owner) out.Append(owner->SourceName());
    out.AppendChar(u' ').Append(name);
    out.Append(isHeader ? u" HDR}" : body ? u" BDY TRL}" : u" TRL}");
}

TField* TFields::FindField(const KString& fieldName) const {
    for (TField& field : fields.Items())
        if (field.name.Equals(fieldName)) return &field;
    return nullptr;
}

int32_t TFields::DefinitionIndex() const {
    return owner ? owner->DefinitionBase() + IndexInOwner() : -1;
}
