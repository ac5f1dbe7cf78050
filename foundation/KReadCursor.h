#pragma once

#include <cstdint>

class KStream;

// Reads a record from a stream with an error that sticks: the first failed
// read keeps its code, and it and every read after it fill their buffer with
// zeros without touching the stream. A reader takes its fields one after
// another and checks Error() once when the record is read. The stream is
// borrowed and must outlive the cursor.
class KReadCursor {
  public:
    explicit KReadCursor(KStream& stream) : stream_(stream) {}

    // Fills buffer with n bytes of the stream; false when this read or an
    // earlier one failed.
    bool Read(void* buffer, int32_t n);
    // The code of the first failed read, 0 while every read succeeded.
    int32_t Error() const { return error_; }

  private:
    KStream& stream_;
    int32_t error_ = 0;
};
