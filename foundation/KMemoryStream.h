#pragma once

#include <string>

#include "KStream.h"

// A stream over bytes in memory: reads consume the bytes from the front,
// writes append to them.
class KMemoryStream : public KStream {
  public:
    KMemoryStream() = default;
    explicit KMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    bool IsOpen() override { return true; }
    void Read(void* buffer, int32_t n) override;
    void Write(const void* buffer, int32_t n) override;

    const std::string& Bytes() const { return bytes_; }
    // Bytes written so far, dropping any the stream still had to read.
    std::string TakeBytes();

  private:
    // Takes back the bytes text decoding consumed through the read window.
    void SyncWindow();

    std::string bytes_;
    size_t next_ = 0;
};
