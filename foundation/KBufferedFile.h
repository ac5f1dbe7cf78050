#pragma once

#include <memory>

#include "KFile.h"

// A file read and written through a buffer that holds a window of the file,
// so that value-by-value and character-by-character work stays off the
// operating system.
class KBufferedFile : public KFile {
  public:
    static constexpr int32_t kDefaultSize = 4096;

    explicit KBufferedFile(int32_t bufferSize = kDefaultSize);
    KBufferedFile(const KString& path, int32_t bufferSize = kDefaultSize);
    ~KBufferedFile() override;

    int SetDirection(int direction) override;
    void Read(void* buffer, int32_t n) override;
    void Write(const void* buffer, int32_t n) override;
    void Open(int mode, bool create) override;
    int64_t GetSize() override;
    void SetLength(int64_t n) override;
    int64_t Tell() override {
        SyncWindow();
        return offset_ + pos_;
    }
    void Seek(int64_t offset, int origin) override;
    // Writes what the buffer holds, empties it, and puts the file at the
    // logical position.
    void FlushBuffer() override;

  private:
    // Takes back the bytes text decoding consumed from the buffer.
    void SyncWindow() {
        if (const uint8_t* next = TakeReadWindow())
            pos_ = static_cast<int32_t>(next - buffer_.get());
    }

    int32_t size_;
    int32_t valid_ = 0;
    int32_t pos_ = 0;
    int64_t offset_ = 0;
    std::unique_ptr<uint8_t[]> buffer_;
};
