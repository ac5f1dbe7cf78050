#include "KString.h"

#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "KStream.h"
#include "KX.h"

namespace {

int32_t ClampLimit(int32_t limit) {
    return std::clamp(limit, 0, KString::kMaxLimit);
}

int32_t WideLength(const KChar* text) {
    int32_t n = 0;
    while (text[n] != 0 && n < KString::kMaxLimit) ++n;
    return n;
}

// Largest count of units a growable string may hold; keeps sizes in int32.
int32_t Saturate(int64_t n) {
    return static_cast<int32_t>(std::clamp<int64_t>(n, 0, KString::kMaxLimit));
}

}  // namespace

KString::KString(int32_t capacity, int32_t limit)
    : capacity_(std::clamp(capacity, 0, ClampLimit(limit) == 0 ? kMaxLimit : ClampLimit(limit))),
      limit_(ClampLimit(limit)) {
    buffer_ = new KChar[static_cast<size_t>(capacity_) + 1];
    buffer_[0] = 0;
}

KString::KString(KChar* storage, int32_t capacity, int32_t length)
    : buffer_(storage),
      end_(std::clamp(length, 0, std::max(capacity, 0))),
      capacity_(std::max(capacity, 0)),
      limit_(kFixed) {}

KString::KString(const KChar* text) : buffer_(const_cast<KChar*>(text)), limit_(kView) {
    end_ = capacity_ = text ? WideLength(text) : 0;
    if (!text) buffer_ = const_cast<KChar*>(u"");
}

KString::KString(const KChar* text, int32_t n) : buffer_(const_cast<KChar*>(text)), limit_(kView) {
    end_ = capacity_ = text ? std::max(n, 0) : 0;
    if (!text) buffer_ = const_cast<KChar*>(u"");
}

KString::KString(const KString& other) : KString(other.Length(), kMaxLimit) {
    Append(other);
}

KString::~KString() {
    if (limit_ >= 0) {
        delete[] buffer_;
    } else if (limit_ == kFixed) {
        buffer_[end_] = 0;
    }
}

void KString::SetCharAt(int32_t i, KChar c) {
    if (i >= 0 && i < Length() && !IsView()) buffer_[start_ + i] = c;
}

const KChar* KString::CStr() {
    if (!IsView()) buffer_[end_] = 0;
    return buffer_ + start_;
}

int32_t KString::Seek(int32_t pos, int whence) {
    int64_t base = whence == 1 ? start_ : whence == 2 ? end_ : 0;
    start_ = static_cast<int32_t>(std::clamp<int64_t>(base + pos, 0, end_));
    return start_;
}

int32_t KString::Truncate(int32_t n) {
    end_ = start_ + std::clamp(n, 0, Length());
    return Length();
}

int32_t KString::Reserve(int32_t n) {
    if (limit_ >= 0) {
        int32_t wanted = std::min(Saturate(int64_t{n} + start_), limit_ == 0 ? capacity_ : limit_);
        if (capacity_ < wanted) {
            KChar* grown = new (std::nothrow) KChar[static_cast<size_t>(wanted) + 1];
            if (grown) {
                std::copy(buffer_, buffer_ + end_, grown);
                delete[] buffer_;
                buffer_ = grown;
                capacity_ = wanted;
            }
        }
    }
    return capacity_ - start_;
}

bool KString::Ensure(int32_t n) {
    int32_t available = capacity_ - start_;
    if (available >= n) return true;
    // Room counts from the cursor, so doubling only the room would grow a
    // buffer whose cursor sits at its end one unit at a time; the buffer
    // itself at least doubles.
    return Reserve(std::max({n, Saturate(int64_t{available} * 2), capacity_})) >= n;
}

bool KString::Holds(const KChar* p) const {
    auto address = reinterpret_cast<uintptr_t>(p);
    auto first = reinterpret_cast<uintptr_t>(buffer_);
    return address >= first && address <= first + static_cast<uintptr_t>(capacity_) * sizeof(KChar);
}

int32_t KString::MakeRoom(int32_t count) {
    if (count <= 0 || IsView()) return 0;
    Ensure(Saturate(int64_t{Length()} + count));
    return std::min(count, capacity_ - end_);
}

void KString::OpenGap(int32_t at, int32_t count) {
    KChar* p = buffer_ + start_ + at;
    std::memmove(p + count, p, static_cast<size_t>(end_ - start_ - at) * sizeof(KChar));
    end_ += count;
}

KString& KString::Assign(const KString& s) {
    if (&s == this) return *this;
    Empty();
    return Append(s);
}

KString& KString::Append(const KString& s) {
    return Append(s.Chars(), s.Length());
}

KString& KString::Append(const KChar* text, int32_t n) {
    // The source may live in this string's own buffer, which growing frees.
    if (Holds(text) && n > 0) {
        std::vector<KChar> copy(text, text + n);
        return Append(copy.data(), n);
    }
    int32_t count = MakeRoom(n);
    std::copy(text, text + count, buffer_ + end_);
    end_ += count;
    return *this;
}

KString& KString::AppendNarrow(const char* bytes) {
    return bytes ? AppendNarrow(
                       bytes, static_cast<int32_t>(std::min<size_t>(std::strlen(bytes), kMaxLimit)))
                 : *this;
}

KString& KString::AppendNarrow(const char* bytes, int32_t n) {
    int32_t count = MakeRoom(n);
    for (int32_t i = 0; i < count; ++i) buffer_[end_ + i] = static_cast<unsigned char>(bytes[i]);
    end_ += count;
    return *this;
}

KString& KString::AppendFormatted(const char* format, ...) {
    char small[128];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n >= static_cast<int>(sizeof small)) {
        std::vector<char> large(static_cast<size_t>(n) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        AppendNarrow(large.data(), n);
    } else if (n > 0) {
        AppendNarrow(small, n);
    }
    va_end(again);
    return *this;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
KString& KString::AppendInt(int32_t v, const char* format) {
    return AppendFormatted(format, v);
}
KString& KString::AppendUnsigned(uint32_t v, const char* format) {
    return AppendFormatted(format, v);
}
KString& KString::AppendReal(double v, const char* format) {
    return AppendFormatted(format, v);
}
#pragma GCC diagnostic pop

KString& KString::AppendRealDot(double v, const char* format) {
    int32_t from = end_;
    AppendReal(v, format);
    const char* point = std::localeconv()->decimal_point;
    if (point && point[0] != '.' && point[0] != 0 && point[1] == 0) {
        KChar sep = static_cast<unsigned char>(point[0]);
        for (int32_t i = from; i < end_; ++i)
            if (buffer_[i] == sep) buffer_[i] = u'.';
    }
    return *this;
}

KString& KString::AppendPoint(KPoint p) {
    AppendChar(u'(').AppendInt(p.x).AppendChar(u',').AppendInt(p.y);
    return AppendChar(u')');
}

char* KString::ToNarrow(char* dest, int32_t max) const {
    int32_t n = std::clamp(max, 0, Length());
    for (int32_t i = 0; i < n; ++i) dest[i] = static_cast<char>(buffer_[start_ + i] & 0xFF);
    dest[n] = 0;
    return dest;
}

std::unique_ptr<char[]> KString::ToNarrow() const {
    auto dest = std::make_unique<char[]>(static_cast<size_t>(Length()) + 1);
    ToNarrow(dest.get(), Length());
    return dest;
}

KChar* KString::ToWide(KChar* dest, int32_t max) const {
    int32_t n = std::clamp(max, 0, Length());
    std::copy(Chars(), Chars() + n, dest);
    dest[n] = 0;
    return dest;
}

std::unique_ptr<KChar[]> KString::ToWide() const {
    auto dest = std::make_unique<KChar[]>(static_cast<size_t>(Length()) + 1);
    ToWide(dest.get(), Length());
    return dest;
}

int KString::Compare(const KString& other, int32_t n, uint32_t flags) const {
    const int greater = (flags & kSwapResult) ? -1 : 1;
    const int32_t lenA = Length();
    const int32_t lenB = other.Length();
    if ((flags & kLengthFirst) && lenA != lenB) return lenA > lenB ? greater : -greater;
    n = std::min(n, std::max(lenA, lenB));
    int32_t cnt = n < 0 ? lenA : std::min(n, lenA);
    cnt = std::min(cnt, lenB);
    const KChar* a = Chars();
    const KChar* b = other.Chars();
    for (int32_t i = 0; i < cnt; ++i) {
        KChar x = a[i];
        KChar y = b[i];
        if (flags & kIgnoreCase) {
            x = KToLower(x);
            y = KToLower(y);
        }
        if (x != y) return x > y ? greater : -greater;
    }
    if ((n < 0 && lenA == lenB) || (n >= 0 && n == cnt)) return 0;
    return lenA > lenB ? greater : -greater;
}

bool KString::Equals(const KString& other) const {
    return Length() == other.Length() && std::equal(Chars(), Chars() + Length(), other.Chars());
}

int32_t KString::Find(KChar c, int32_t from) const {
    for (int32_t i = std::max(from, 0); i < Length(); ++i)
        if (buffer_[start_ + i] == c) return i;
    return -1;
}

int32_t KString::FindLast(KChar c, int32_t from) const {
    if (from < 0 || from >= Length()) from = Length() - 1;
    for (int32_t i = from; i >= 0; --i)
        if (buffer_[start_ + i] == c) return i;
    return -1;
}

namespace {

struct FieldSpan {
    int32_t first;  // the field's text
    int32_t stop;
    int32_t end;  // the separator that ends the field, or the text's length
};

// The field that starts at s: quoted when a quote follows nothing but white
// space and a later quote is followed by nothing but white space up to the
// next separator; otherwise all up to the next separator.
FieldSpan ScanField(const KChar* p, int32_t len, int32_t s, KChar separator, KChar quote) {
    if (quote != 0) {
        int32_t q = s;
        while (q < len && p[q] != separator && p[q] != quote) ++q;
        bool opens = q < len && p[q] == quote;
        for (int32_t i = s; opens && i < q; ++i) opens = KIsWhiteSpace(p[i]);
        // Scanning forward once finds the first closing candidate that passes.
        for (int32_t c = q + 1; opens && c < len; ++c) {
            if (p[c] != quote) continue;
            int32_t j = c + 1;
            while (j < len && p[j] != separator && KIsWhiteSpace(p[j])) ++j;
            if (j >= len || p[j] == separator) return {q + 1, c, j};
            c = j - 1;
        }
    }
    int32_t end = s;
    while (end < len && p[end] != separator) ++end;
    return {s, end, end};
}

}  // namespace

bool KString::Field(KString& out, int32_t index, KChar separator, KChar quote,
                    int32_t endpos) const {
    int32_t s = 0;
    for (int32_t k = 0; k < index; ++k) {
        const FieldSpan span = ScanField(Chars(), Length(), s, separator, quote);
        if (span.end >= Length()) return false;
        s = span.end + 1;
    }
    const FieldSpan span = ScanField(Chars(), Length(), s, separator, quote);
    if (span.first >= endpos) return false;
    out.Append(Chars() + span.first, std::min(span.stop - span.first, endpos - span.first));
    return true;
}

bool KString::NextField(KString& out, int32_t* from, KChar separator, KChar quote) const {
    if (*from > Length()) return false;
    const FieldSpan span = ScanField(Chars(), Length(), *from, separator, quote);
    out.Append(Chars() + span.first, span.stop - span.first);
    *from = span.end + 1;
    return true;
}

void KString::SubString(KString& out, int32_t from, int32_t n) const {
    if (from < 0 || from >= Length() || n <= 0) return;
    out.Append(Chars() + from, std::min(n, Length() - from));
}

void KString::Insert(const KString& s, int32_t at) {
    if (at < 0) return;
    if (at >= Length()) {
        Append(s);
        return;
    }
    if (Holds(s.Chars())) {
        KString copy(s);
        Insert(copy, at);
        return;
    }
    int32_t count = MakeRoom(s.Length());
    OpenGap(at, count);
    std::copy(s.Chars(), s.Chars() + count, buffer_ + start_ + at);
}

void KString::InsertChars(KChar c, int32_t at, int32_t count) {
    if (at < 0 || count < 1) return;
    at = std::min(at, Length());
    count = MakeRoom(count);
    OpenGap(at, count);
    std::fill(buffer_ + start_ + at, buffer_ + start_ + at + count, c);
}

void KString::Delete(int32_t at, int32_t n) {
    if (at < 0 || at >= Length() || n <= 0 || IsView()) return;
    n = std::min(n, Length() - at);
    KChar* p = buffer_ + start_ + at;
    std::memmove(p, p + n, static_cast<size_t>(Length() - at - n) * sizeof(KChar));
    end_ -= n;
}

void KString::TrimLeft() {
    int32_t n = 0;
    while (n < Length() && KIsWhiteSpace(buffer_[start_ + n])) ++n;
    Delete(0, n);
}

void KString::TrimRight() {
    while (end_ > start_ && KIsWhiteSpace(buffer_[end_ - 1])) --end_;
}

void KString::Reverse(int32_t from, int32_t n) {
    from = std::max(from, 0);
    n = std::min(n, Length() - from);
    if (n > 1 && !IsView()) std::reverse(buffer_ + start_ + from, buffer_ + start_ + from + n);
}

void KString::ToUpper() {
    if (IsView()) return;
    for (int32_t i = start_; i < end_; ++i) buffer_[i] = KToUpper(buffer_[i]);
}

void KString::ToLower() {
    if (IsView()) return;
    for (int32_t i = start_; i < end_; ++i) buffer_[i] = KToLower(buffer_[i]);
}

bool KString::HasNewlineEscape() const {
    for (int32_t i = start_; i + 1 < end_; ++i)
        if (buffer_[i] == u'\\' && buffer_[i + 1] == u'n') return true;
    return false;
}

int32_t KString::ExpandNewlineEscapes() {
    if (IsView()) return 0;
    int32_t replaced = 0;
    for (int32_t i = start_; i + 1 < end_; ++i) {
        if (buffer_[i] == u'\\' && buffer_[i + 1] == u'n') {
            buffer_[i] = 13;
            buffer_[++i] = 10;
            ++replaced;
        }
    }
    return replaced;
}

bool KString::ParseInt(int32_t* out, int base) {
    bool digits = false;
    if (base <= 0) {
        base = 10;
        if (CharAt(0) == u'0') {
            ++start_;
            if (CharAt(0) == u'x' || CharAt(0) == u'X') {
                ++start_;
                base = 16;
            } else {
                base = 8;
                digits = true;
            }
        }
    }
    bool negative = false;
    if (base == 10 && (CharAt(0) == u'-' || CharAt(0) == u'+')) {
        negative = CharAt(0) == u'-';
        ++start_;
    }
    uint32_t value = 0;
    for (;;) {
        int d = KDigitValue(CharAt(0));
        if (d < 0 || d >= base) break;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
        digits = true;
        ++start_;
    }
    if (negative) value = 0u - value;
    if (digits && out) *out = static_cast<int32_t>(value);
    return digits;
}

bool KString::ParseReal(double* out) {
    bool negative = false;
    if (CharAt(0) == u'-' || CharAt(0) == u'+') {
        negative = CharAt(0) == u'-';
        ++start_;
    }
    bool digits = false;
    double value = 0;
    while (Length() > 0 && KIsDigit(CharAt(0))) {
        value = value * 10 + (CharAt(0) - u'0');
        digits = true;
        ++start_;
    }
    if (Length() > 0 && CharAt(0) == u'.') {
        ++start_;
        double factor = 0.1;
        while (Length() > 0 && KIsDigit(CharAt(0))) {
            value += (CharAt(0) - u'0') * factor;
            factor *= 0.1;
            digits = true;
            ++start_;
        }
    }
    if (negative) value = -value;
    if (digits && out) *out = value;
    return digits;
}

void KString::Write(KStream& stream) const {
    stream.PutInt32(static_cast<int32_t>(kTag));
    stream.PutInt32(Length());
    for (int32_t i = 0; i < Length(); ++i) stream.PutInt16(CharAt(i));
}

void KString::Read(KStream& stream) {
    const uint32_t tag = stream.GetUInt32();
    if ((tag & ~kWideFlag) != (kTag & ~kWideFlag)) throw KXPersistent();
    const int32_t count = stream.GetInt32();
    if (count < 0) throw KXPersistent();
    Truncate(0);
    // Room grows as units arrive, so a forged count cannot claim memory the
    // stream does not back with data.
    Ensure(std::min(count, 4096));
    for (int32_t i = 0; i < count; ++i) {
        KChar c;
        if (tag & kWideFlag) {
            c = stream.GetUInt16();
        } else {
            uint8_t b;
            stream.Read(&b, 1);
            c = b;
        }
        AppendChar(c);
    }
}
