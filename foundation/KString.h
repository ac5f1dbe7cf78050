#pragma once

#include <cstdint>
#include <memory>

#include "KCharClass.h"
#include "KPoint.h"

class KStream;

// The one string type: 16-bit units, a movable read cursor (start), and one of
// three storage modes chosen by `limit`:
//   limit >= 0  heap storage owned by the string, growing up to `limit` units;
//   limit == -1 fixed storage owned by someone else, never grows, cuts silently;
//   limit == -2 read-only view of someone else's text.
// Indexes and counts of every operation are relative to the cursor.
class KString {
  public:
    static constexpr int32_t kMaxLimit = 0x7FFFFFFE;
    static constexpr int32_t kFixed = -1;
    static constexpr int32_t kView = -2;

    // Compare flags.
    static constexpr uint32_t kIgnoreCase = 1;
    static constexpr uint32_t kLengthFirst = 2;
    static constexpr uint32_t kSwapResult = 4;

    // Growable: heap buffer of `capacity` units, growing up to `limit`; a limit
    // of 0 fixes the capacity at its initial value.
    explicit KString(int32_t capacity = 31, int32_t limit = kMaxLimit);
    // Fixed storage over `storage`, which has room for capacity + 1 units.
    KString(KChar* storage, int32_t capacity, int32_t length);
    // Views of a 0-terminated wide string and of (pointer, n units).
    KString(const KChar* text);  // NOLINT: literals pass as views
    KString(const KChar* text, int32_t n);
    // A copy is a growable string holding the visible text of `other`.
    KString(const KString& other);
    KString& operator=(const KString& other) { return Assign(other); }
    ~KString();

    int32_t Length() const { return end_ - start_; }
    bool IsEmpty() const { return end_ == start_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Limit() const { return limit_; }
    // Buffer index of the cursor: how many units lie behind it.
    int32_t Start() const { return start_; }
    const KChar* Chars() const { return buffer_ + start_; }

    KChar CharAt(int32_t i) const { return i < 0 || i >= Length() ? 0 : buffer_[start_ + i]; }
    void SetCharAt(int32_t i, KChar c);
    const KChar* CStr();

    int32_t Seek(int32_t pos, int whence);
    int32_t Truncate(int32_t n);
    void Empty() {
        start_ = 0;
        end_ = 0;
    }
    int32_t Reserve(int32_t n);
    bool Ensure(int32_t n);

    KString& Assign(const KString& s);
    KString& Append(const KString& s);
    KString& Append(const KChar* text, int32_t n);
    KString& AppendChar(KChar c) {
        if (end_ < capacity_ && limit_ != kView) {
            buffer_[end_++] = c;
            return *this;
        }
        return Append(&c, 1);
    }
    KString& AppendNarrow(const char* bytes);
    KString& AppendNarrow(const char* bytes, int32_t n);
    KString& AppendInt(int32_t v, const char* format = "%d");
    KString& AppendUnsigned(uint32_t v, const char* format = "%u");
    KString& AppendReal(double v, const char* format = "%lf");
    KString& AppendRealDot(double v, const char* format = "%lf");
    KString& AppendPoint(KPoint p);

    // Copy at most `max` units into dest (which holds max + 1), low bytes or
    // whole units, and terminate; the forms without dest copy everything.
    char* ToNarrow(char* dest, int32_t max) const;
    std::unique_ptr<char[]> ToNarrow() const;
    KChar* ToWide(KChar* dest, int32_t max) const;
    std::unique_ptr<KChar[]> ToWide() const;

    int Compare(const KString& other, int32_t n = -1, uint32_t flags = 0) const;
    bool Equals(const KString& other) const;
    bool EqualsIgnoreCase(const KString& other) const {
        return Compare(other, -1, kIgnoreCase) == 0;
    }
    // True when the text begins with `prefix`, letter case ignored.
    bool StartsWithIgnoreCase(const KString& prefix) const {
        return Compare(prefix, prefix.Length(), kIgnoreCase) == 0;
    }
    int32_t Find(KChar c, int32_t from = 0) const;
    int32_t FindLast(KChar c, int32_t from = -1) const;
    bool Field(KString& out, int32_t index, KChar separator = u',', KChar quote = u'"',
               int32_t endpos = 0x7FFFFFFF) const;
    // Walks the fields in turn: appends the field that starts at *from and
    // moves *from to the next one; false after the last field.
    bool NextField(KString& out, int32_t* from, KChar separator = u',', KChar quote = u'"') const;
    void SubString(KString& out, int32_t from, int32_t n) const;

    void Insert(const KString& s, int32_t at);
    void InsertChars(KChar c, int32_t at, int32_t count);
    void Delete(int32_t at, int32_t n);
    void TrimLeft();
    void TrimRight();
    void Reverse(int32_t from, int32_t n);
    void ToUpper();
    void ToLower();
    bool HasNewlineEscape() const;
    int32_t ExpandNewlineEscapes();

    bool ParseInt(int32_t* out, int base = 0);
    bool ParseReal(double* out);

    // Persistent form: tag, unit count, 16-bit units. Reading into a smaller
    // string drops what does not fit and still consumes the whole record.
    static constexpr uint32_t kTag = 0x10010005;
    static constexpr uint32_t kWideFlag = 0x10000000;
    void Write(KStream& stream) const;
    void Read(KStream& stream);

  protected:
    KChar* buffer_;
    int32_t start_ = 0;
    int32_t end_ = 0;
    int32_t capacity_;
    int32_t limit_;

  private:
    bool IsView() const { return limit_ == kView; }
    // True when p points into this string's buffer.
    bool Holds(const KChar* p) const;
    // Room for `count` more units at the end, growing when allowed; returns how
    // many of them fit.
    int32_t MakeRoom(int32_t count);
    // Opens a gap of `count` units (already clipped to the room) at index at.
    void OpenGap(int32_t at, int32_t count);
    KString& AppendFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// A string with inline fixed storage of N units.
template <int32_t N>
class KFixedString : public KString {
  public:
    KFixedString() : KString(storage_, N, 0) {}
    KFixedString(const KString& text) : KString(storage_, N, 0) { Append(text); }  // NOLINT
    KFixedString(const KFixedString& other) : KString(storage_, N, 0) { Append(other); }
    KFixedString& operator=(const KString& other) {
        Assign(other);
        return *this;
    }
    KFixedString& operator=(const KFixedString& other) {
        Assign(other);
        return *this;
    }

  private:
    KChar storage_[N + 1];
};

using KString15 = KFixedString<15>;
using KString31 = KFixedString<31>;
using KString63 = KFixedString<63>;
using KString127 = KFixedString<127>;
using KString255 = KFixedString<255>;
using KString511 = KFixedString<511>;
