#include "KStream.h"

#include <ctime>

#include "KUtf8.h"
#include "KX.h"

KStream* KStream::CopySettings(KStream* target) const {
    if (!target) target = new KStream;
    target->readSettings_ = readSettings_;
    target->writeSettings_ = writeSettings_;
    target->lineEnd_ = lineEnd_;
    target->swap_ = swap_;
    target->readTimeout_ = readTimeout_;
    target->writeTimeout_ = writeTimeout_;
    return target;
}

void KStream::Close() {
    swallow_ = 0;
    direction_ = kNone;
    lookAheadValid_ = false;
    pushed_ = 0;
    pendingUnit_ = pendingHigh_ = 0;
    readNext_ = readEnd_ = nullptr;
}

int KStream::SetDirection(int direction) {
    direction_ = direction;
    return direction;
}

void KStream::Read(void*, int32_t) {
    throw KXStream(kErrFileRead, 0);
}
void KStream::Write(const void*, int32_t) {
    throw KXStream(kErrFileWrite, 0);
}

void KStream::Purge() {
    const int saved = readTimeout_;
    SetReadTimeout(0);
    uint8_t block[128];
    try {
        for (;;) Read(block, sizeof block);
    } catch (const KX&) {
    }
    SetReadTimeout(saved);
}

void KStream::WaitReady() {
    const timespec oneMillisecond{0, 1000000};
    while (!IsReady()) nanosleep(&oneMillisecond, nullptr);
}

int32_t KStream::WriteText(const KString& text) {
    int32_t written = 0;
    for (int32_t i = 0; i < text.Length(); ++i) written += PutChar(text.CharAt(i));
    return written;
}

void KStream::PutBytes(uint64_t v, int bytes) {
    uint8_t b[4];
    for (int i = 0; i < bytes; ++i) {
        int shift = 8 * (swap_ ? bytes - 1 - i : i);
        b[i] = static_cast<uint8_t>(v >> shift);
    }
    Write(b, bytes);
}

uint32_t KStream::GetBytes(int bytes) {
    uint8_t b[4];
    Read(b, bytes);
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{b[i]} << (8 * (swap_ ? bytes - 1 - i : i));
    return v;
}

void KStream::PutInt8(int32_t v) {
    PutBytes(static_cast<uint32_t>(v), 1);
}
void KStream::PutInt16(int32_t v) {
    PutBytes(static_cast<uint32_t>(v), 2);
}
void KStream::PutInt32(int32_t v) {
    PutBytes(static_cast<uint32_t>(v), 4);
}
uint16_t KStream::GetUInt16() {
    return static_cast<uint16_t>(GetBytes(2));
}
uint32_t KStream::GetUInt32() {
    return GetBytes(4);
}

uint8_t KStream::ReadByte() {
    if (pushed_ > 0) return pushback_[--pushed_];
    if (readNext_ < readEnd_) return *readNext_++;
    uint8_t b;
    Read(&b, 1);
    return b;
}

int KStream::TakeRestOfChar(const uint8_t* taken, int n, bool endIsAnswer) {
    try {
        return ReadByte();
    } catch (const KXStream& e) {
        if (endIsAnswer && e.Code() == kErrFileRead) return -1;
        // The rest has not arrived yet: the bytes wait for it, so that the
        // character decodes whole when it comes.
        RestoreBytes(taken, n);
        throw;
    }
}

void KStream::RestoreBytes(const uint8_t* bytes, int n) {
    for (int i = n - 1; i >= 0; --i) UnreadByte(bytes[i]);
}

KChar KStream::DecodeUtf16() {
    for (;;) {
        uint8_t pair[2];
        pair[0] = ReadByte();
        pair[1] = TakeRestOfChar(pair, 1, false);
        const uint16_t a = pair[0], b = pair[1];
        KChar unit = static_cast<KChar>(swap_ ? (a << 8) | b : (b << 8) | a);
        if (unit == 0xFFFE) {
            swap_ ^= 1;  // a byte-order mark read the wrong way round
        } else if (unit != 0xFEFF) {
            return unit;
        }
    }
}

KChar KStream::DecodeNative() {
    uint8_t bytes[4];
    bytes[0] = ReadByte();
    int want = bytes[0] >= 0xF0 ? 4 : bytes[0] >= 0xE0 ? 3 : bytes[0] >= 0xC0 ? 2 : 1;
    int have = 1;
    while (have < want) {
        const int next = TakeRestOfChar(bytes, have, true);
        if (next < 0) break;
        bytes[have++] = static_cast<uint8_t>(next);
        if ((next & 0xC0) != 0x80) break;
    }
    uint32_t codePoint;
    int used = static_cast<int>(KUtf8Decode(bytes, static_cast<size_t>(have), &codePoint));
    for (int i = have - 1; i >= used; --i) UnreadByte(bytes[i]);
    if (codePoint < 0x10000) return static_cast<KChar>(codePoint);
    codePoint -= 0x10000;
    pendingUnit_ = static_cast<KChar>(0xDC00 + (codePoint & 0x3FF));
    return static_cast<KChar>(0xD800 + (codePoint >> 10));
}

KChar KStream::DecodeDetect() {
    const uint8_t first = ReadByte();
    if (first == 0xFF || first == 0xFE) {
        const int second = TakeRestOfChar(&first, 1, true);
        if ((first == 0xFE && second == 0xFF) || (first == 0xFF && second == 0xFE)) {
            SetReadEncoding(kUtf16);
            swap_ = first == 0xFE ? 1 : 0;
            return DecodeUtf16();
        }
        // Not a byte-order mark: both bytes are ordinary characters.
        if (second >= 0) UnreadByte(static_cast<uint8_t>(second));
    }
    SetReadEncoding(kSingleByte);
    return first;
}

KChar KStream::DecodeChar() {
    if (pendingUnit_) {
        KChar unit = pendingUnit_;
        pendingUnit_ = 0;
        return unit;
    }
    switch (ReadEncoding()) {
        case kUtf16:
            return DecodeUtf16();
        case kNative:
            return DecodeNative();
        case kDetect:
            return DecodeDetect();
        default:
            return ReadByte();
    }
}

KChar KStream::DecodeLineChar() {
    for (;;) {
        KChar c = DecodeChar();
        const int mode = ReadLineEnd();
        if (swallow_ && c == swallow_) {
            swallow_ = 0;
            if (mode == kLineCR) SetReadLineEnd(kLineCRLF);
            if (mode == kLineLF) SetReadLineEnd(kLineLFCR);
            continue;
        }
        swallow_ = 0;
        if (mode == kLineDetect && (c == 10 || c == 13)) {
            SetReadLineEnd(c == 10 ? kLineLF : kLineCR);
            swallow_ = c == 10 ? 13 : 10;
        }
        if (lineEnd_ && c == lineEnd_) {
            if (ReadLineEnd() == kLineCRLF) swallow_ = 10;
            if (ReadLineEnd() == kLineLFCR) swallow_ = 13;
            return 10;
        }
        return c;
    }
}

bool KStream::PeekSlow() {
    if (!pushed_ && !HasInput()) return false;
    try {
        lookAhead_ = DecodeLineChar();
    } catch (const KX&) {
        return false;
    }
    lookAheadValid_ = true;
    return true;
}

int32_t KStream::Skip(int32_t n) {
    int32_t skipped = 0;
    while ((n < 0 || skipped < n) && Peek()) {
        lookAheadValid_ = false;
        ++skipped;
    }
    return skipped;
}

void KStream::ResolveWriteEncoding() {
    if (WriteEncoding() == kDetect)
        SetWriteEncoding(ReadEncoding() == kDetect ? kUtf16 : ReadEncoding());
}

void KStream::PutUtf8(uint32_t codePoint) {
    uint8_t b[4];
    int n;
    if (codePoint < 0x80) {
        b[0] = static_cast<uint8_t>(codePoint), n = 1;
    } else if (codePoint < 0x800) {
        b[0] = static_cast<uint8_t>(0xC0 | (codePoint >> 6)), n = 2;
    } else if (codePoint < 0x10000) {
        b[0] = static_cast<uint8_t>(0xE0 | (codePoint >> 12)), n = 3;
    } else {
        b[0] = static_cast<uint8_t>(0xF0 | (codePoint >> 18)), n = 4;
    }
    for (int i = 1; i < n; ++i)
        b[i] = static_cast<uint8_t>(0x80 | ((codePoint >> (6 * (n - 1 - i))) & 0x3F));
    Write(b, n);
}

void KStream::PutUnit(KChar c) {
    switch (WriteEncoding()) {
        case kUtf16:
            PutBytes(c, 2);
            return;
        case kNative:
            if (pendingHigh_) {
                KChar high = pendingHigh_;
                pendingHigh_ = 0;
                if (c >= 0xDC00 && c <= 0xDFFF) {
                    PutUtf8(0x10000 + ((uint32_t{high} - 0xD800) << 10) + (c - 0xDC00));
                    return;
                }
                PutUtf8(high);
            }
            if (c >= 0xD800 && c <= 0xDBFF) {
                pendingHigh_ = c;
                return;
            }
            PutUtf8(c);
            return;
        default: {
            uint8_t b = static_cast<uint8_t>(c);
            Write(&b, 1);
        }
    }
}

int32_t KStream::PutChar(KChar c) {
    ResolveWriteEncoding();
    if (c != 10) {
        PutUnit(c);
        return 1;
    }
    if (WriteLineEnd() == kLineDetect) {
        int mode = ReadLineEnd();
        SetWriteLineEnd(mode >= kLineCR && mode <= kLineLFCR ? mode : kLineCRLF);
    }
    switch (WriteLineEnd()) {
        case kLineCR:
            PutUnit(13);
            return 1;
        case kLineLF:
            PutUnit(10);
            return 1;
        case kLineLFCR:
            PutUnit(10);
            PutUnit(13);
            return 2;
        case kLineCRLF:
            PutUnit(13);
            PutUnit(10);
            return 2;
        default:
            PutUnit(10);
            return 1;  // no line-end translation
    }
}

int32_t KStream::WriteBOM() {
    ResolveWriteEncoding();
    if (WriteEncoding() != kUtf16) return 0;
    PutUnit(0xFEFF);
    return 1;
}

int32_t KStream::ReadUntil(KString& out, const KString& stopSet, const KString& restartSet) {
    return ReadUntil(out, stopSet, restartSet, KString(u""));
}

int32_t KStream::ReadUntil(KString& out, const KString& stopSet, const KString& restartSet,
                           const KString& ignoreSet) {
    const int32_t mark = out.Length();
    for (;;) {
        int32_t result = -1;
        bool first = true;
        bool restart = false;
        while (Peek()) {
            KChar c = GetChar();
            if (first) restart = restartSet.Find(c) >= 0;
            first = false;
            if (stopSet.Find(c) >= 0) {
                result = c;
                break;
            }
            if (ignoreSet.Find(c) < 0) out.AppendChar(c);
        }
        if (!restart) return result;
        out.Truncate(mark);
        if (!Peek()) return result;
    }
}

void KStream::SetLineEndCharacter() {
    int mode = ReadLineEnd();
    lineEnd_ = mode == kLineCR || mode == kLineCRLF   ? 13
               : mode == kLineLF || mode == kLineLFCR ? 10
                                                      : 0;
}

void KStream::SetReadLineEnd(int mode) {
    readSettings_ = (readSettings_ & ~0x0F) | (mode & 0x0F);
    SetLineEndCharacter();
}

void KStream::SetWriteLineEnd(int mode) {
    writeSettings_ = (writeSettings_ & ~0x0F) | (mode & 0x0F);
}
void KStream::SetReadEncoding(int encoding) {
    readSettings_ = (readSettings_ & ~0xF0) | ((encoding & 0x0F) << 4);
}
void KStream::SetWriteEncoding(int encoding) {
    writeSettings_ = (writeSettings_ & ~0xF0) | ((encoding & 0x0F) << 4);
}
