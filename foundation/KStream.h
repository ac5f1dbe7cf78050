#pragma once

#include <cstdint>
#include <vector>

#include "KClock.h"
#include "KString.h"

// The byte-stream abstraction: raw bytes, fixed-width values in a selectable
// byte order, and text characters with a selectable encoding and automatic
// line-end handling. The base stream serves port type 0 and can neither read
// nor write; files and byte channels derive from it.
class KStream {
  public:
    // Line-end modes.
    enum : int { kLineDetect = 1, kLineCR = 2, kLineLF = 3, kLineCRLF = 4, kLineLFCR = 5 };
    // Encodings: single bytes, UTF-16 in the stream's byte order, native text
    // (UTF-8 here), and detect (reading) or same as reading (writing).
    enum : int { kSingleByte = 0, kUtf16 = 1, kNative = 2, kDetect = 3 };
    // Directions.
    enum : int { kNone = 0, kReading = 1, kWriting = 2 };

    using Hook = void (*)(const void* bytes, int32_t count, void* user);

    KStream() = default;
    KStream(const KStream&) = delete;
    KStream& operator=(const KStream&) = delete;
    virtual ~KStream() = default;

    virtual bool Accepts(int type) const { return type == 0; }
    // Copies line ends, encodings, byte order and timeouts into target; with
    // no target, into a new stream of this stream's own kind (the caller owns it).
    virtual KStream* CopySettings(KStream* target) const;
    // Not const: a network channel accepts and reconnects as it answers.
    virtual bool IsOpen() { return false; }
    virtual int OpenChannel(const KString&) { return 0; }
    virtual void Close();
    // Answers the direction now in force, 0 when it is not allowed.
    virtual int SetDirection(int direction);
    // Read or write exactly n bytes or raise KXStream (3004 / 3005).
    virtual void Read(void* buffer, int32_t n);
    virtual void Write(const void* buffer, int32_t n);
    virtual void SetReadTimeout(int timeout) { readTimeout_ = timeout; }
    virtual void SetWriteTimeout(int timeout) { writeTimeout_ = timeout; }
    virtual void Purge();
    virtual void Flush() {}
    virtual bool IsReady() { return true; }
    // Whether a read can take a byte now. Channels answer it without raising,
    // so that asking an idle channel costs no exception.
    virtual bool HasInput() { return true; }
    // The descriptors that become readable when input may be waiting (a
    // connection, a listening socket a client knocks on, a device), so that
    // a loop can sleep until then; none when there is nothing to wait on.
    virtual void WaitDescriptors(std::vector<int>& out) const {}
    // Milliseconds until the channel must be asked again although none of
    // its descriptors became readable (a connection being made, a lost
    // device to open again); KClock::kNever when input alone brings news.
    virtual int64_t PollDueIn() const { return KClock::kNever; }
    void WaitReady();
    virtual void DiscardOutput() {}
    virtual int32_t WriteText(const KString& text);

    // Fixed-width values in the stream's byte order.
    void PutInt8(int32_t v);
    void PutInt16(int32_t v);
    void PutInt32(int32_t v);
    int16_t GetInt16() { return static_cast<int16_t>(GetUInt16()); }
    uint16_t GetUInt16();
    int32_t GetInt32() { return static_cast<int32_t>(GetUInt32()); }
    uint32_t GetUInt32();

    // Text. GetChar raises at the end of the data; Peek answers whether one
    // more character can be read and holds it for the next GetChar.
    KChar GetChar() {
        KChar c;
        if (lookAheadValid_) {
            lookAheadValid_ = false;
            return lookAhead_;
        }
        return TakeFastChar(&c) ? c : DecodeLineChar();
    }
    bool Peek() {
        if (lookAheadValid_) return true;
        if (!TakeFastChar(&lookAhead_)) return PeekSlow();
        lookAheadValid_ = true;
        return true;
    }
    int32_t Skip(int32_t n);
    int32_t PutChar(KChar c);
    int32_t WriteBOM();
    // Reads a token into out up to a character of stopSet (consumed, not
    // kept), which it returns; -1 at the end of the data. A token that begins
    // with a character of restartSet is dropped and the next one read.
    int32_t ReadUntil(KString& out, const KString& stopSet, const KString& restartSet);
    int32_t ReadUntil(KString& out, const KString& stopSet, const KString& restartSet,
                      const KString& ignoreSet);

    void SetReadLineEnd(int mode);
    void SetWriteLineEnd(int mode);
    void SetReadEncoding(int encoding);
    void SetWriteEncoding(int encoding);
    void SetSwapBytes(bool on) { swap_ = on ? 1 : 0; }
    void SetReadHook(Hook hook, void* user) { readHook_ = hook, readHookUser_ = user; }
    void SetWriteHook(Hook hook, void* user) { writeHook_ = hook, writeHookUser_ = user; }

    int ReadLineEnd() const { return readSettings_ & 0x0F; }
    int WriteLineEnd() const { return writeSettings_ & 0x0F; }
    int ReadEncoding() const { return (readSettings_ >> 4) & 0x0F; }
    int WriteEncoding() const { return (writeSettings_ >> 4) & 0x0F; }
    bool SwapBytes() const { return swap_ != 0; }
    int Direction() const { return direction_; }
    int ReadTimeout() const { return readTimeout_; }
    int WriteTimeout() const { return writeTimeout_; }

  protected:
    // Derived streams pass every block they read or wrote successfully.
    void NotifyRead(const void* bytes, int32_t n) {
        if (readHook_ && n > 0) readHook_(bytes, n, readHookUser_);
    }
    void NotifyWrite(const void* bytes, int32_t n) {
        if (writeHook_ && n > 0) writeHook_(bytes, n, writeHookUser_);
    }

    // A window of bytes a derived stream has already read from its source;
    // text decoding takes them without a call per byte. The derived stream
    // takes the window back before any other work on its buffer.
    void SetReadWindow(const uint8_t* next, const uint8_t* end) {
        if (!readHook_) readNext_ = next, readEnd_ = end;
    }
    const uint8_t* TakeReadWindow() {
        const uint8_t* next = readNext_;
        readNext_ = readEnd_ = nullptr;
        return next;
    }

  private:
    // The common case of text reading: a single-byte character that is no
    // line end, straight from the read window.
    bool TakeFastChar(KChar* c) {
        if (readNext_ == readEnd_ || pushed_ || (readSettings_ & 0xF0) != (kSingleByte << 4))
            return false;
        const uint8_t b = *readNext_;
        if (b == 10 || b == 13) return false;
        ++readNext_;
        swallow_ = 0;
        *c = b;
        return true;
    }
    KChar DecodeLineChar();
    bool PeekSlow();
    uint8_t ReadByte();
    // The next byte of a character of which the n bytes taken were read: -1
    // at the end of the data when endIsAnswer. Any other failure (a channel
    // with nothing waiting) puts the taken bytes back and raises.
    int TakeRestOfChar(const uint8_t* taken, int n, bool endIsAnswer);
    void UnreadByte(uint8_t b) { pushback_[pushed_++] = b; }
    void RestoreBytes(const uint8_t* bytes, int n);
    KChar DecodeChar();
    KChar DecodeUtf16();
    KChar DecodeNative();
    KChar DecodeDetect();
    void PutUnit(KChar c);
    void PutUtf8(uint32_t codePoint);
    void ResolveWriteEncoding();
    void SetLineEndCharacter();
    void PutBytes(uint64_t v, int bytes);
    uint32_t GetBytes(int bytes);

    int16_t lineEnd_ = 0;
    int16_t swallow_ = 0;
    KChar lookAhead_ = 0;
    bool lookAheadValid_ = false;
    int readSettings_ = kLineDetect | (kDetect << 4);
    int writeSettings_ = kLineDetect | (kDetect << 4);
    int swap_ = 0;
    int direction_ = kNone;
    int readTimeout_ = 0;
    int writeTimeout_ = 0;
    Hook readHook_ = nullptr;
    void* readHookUser_ = nullptr;
    Hook writeHook_ = nullptr;
    void* writeHookUser_ = nullptr;
    // Decoding state: bytes read ahead by a malformed sequence, the second
    // unit of a character above U+FFFF, and a high surrogate waiting for its
    // partner on output.
    const uint8_t* readNext_ = nullptr;
    const uint8_t* readEnd_ = nullptr;
    uint8_t pushback_[4] = {};
    int pushed_ = 0;
    KChar pendingUnit_ = 0;
    KChar pendingHigh_ = 0;
};
