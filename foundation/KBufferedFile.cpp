#include "KBufferedFile.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "KX.h"

KBufferedFile::KBufferedFile(int32_t bufferSize)
    : size_(std::max(bufferSize, 16)), buffer_(new uint8_t[static_cast<size_t>(size_)]) {}

KBufferedFile::KBufferedFile(const KString& path, int32_t bufferSize) : KBufferedFile(bufferSize) {
    SetPath(path);
}

// The file's own destructor would close without this class's buffer.
KBufferedFile::~KBufferedFile() {
    Close();
}

int KBufferedFile::SetDirection(int direction) {
    SyncWindow();
    if (direction != Direction() && Direction() != kNone) FlushBuffer();
    return KFile::SetDirection(direction);
}

void KBufferedFile::Open(int mode, bool create) {
    SyncWindow();
    KFile::Open(mode, create);
    offset_ = 0;
    valid_ = pos_ = 0;
}

void KBufferedFile::Read(void* buffer, int32_t n) {
    SyncWindow();
    if (n <= 0) return;
    if (!IsOpen() || SetDirection(kReading) == 0) throw KXStream(kErrFileRead, 0);
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < n) {
        if (pos_ == valid_) {
            offset_ += valid_;
            valid_ = pos_ = 0;
            const int64_t got = RawRead(buffer_.get(), size_);
            if (got <= 0) break;
            valid_ = static_cast<int32_t>(got);
        }
        const int32_t take = std::min(n - done, valid_ - pos_);
        std::memcpy(out + done, buffer_.get() + pos_, static_cast<size_t>(take));
        pos_ += take;
        done += take;
    }
    NotifyRead(buffer, done);
    if (done != n) throw KXStream(kErrFileRead, done);
    SetReadWindow(buffer_.get() + pos_, buffer_.get() + valid_);
}

void KBufferedFile::Write(const void* buffer, int32_t n) {
    SyncWindow();
    if (n <= 0) return;
    if (!IsOpen() || SetDirection(kWriting) == 0) throw KXStream(kErrFileWrite, 0);
    const auto* in = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < n) {
        const int32_t take = std::min(n - done, size_ - pos_);
        std::memcpy(buffer_.get() + pos_, in + done, static_cast<size_t>(take));
        pos_ += take;
        done += take;
        valid_ = std::max(valid_, pos_);
        if (pos_ == size_) {
            if (RawWrite(buffer_.get(), size_) != size_) throw KXStream(kErrFileWrite, done - pos_);
            offset_ += size_;
            valid_ = pos_ = 0;
        }
    }
    NotifyWrite(buffer, done);
}

void KBufferedFile::FlushBuffer() {
    SyncWindow();
    if (!IsOpen()) return;
    int64_t filePosition = offset_;
    if (Direction() == kWriting && valid_ > 0) {
        if (RawWrite(buffer_.get(), valid_) != valid_) throw KXStream(kErrFileWrite, 0);
        filePosition += valid_;
    } else if (Direction() == kReading) {
        filePosition += valid_;
    }
    offset_ += pos_;
    valid_ = pos_ = 0;
    if (filePosition != offset_ && RawSeek(offset_, SEEK_SET) < 0)
        throw KXStream(kErrFileAccess, 0);
}

int64_t KBufferedFile::GetSize() {
    SyncWindow();
    return std::max(KFile::GetSize(), offset_ + valid_);
}

void KBufferedFile::SetLength(int64_t n) {
    FlushBuffer();
    KFile::SetLength(n);
}

void KBufferedFile::Seek(int64_t offset, int origin) {
    SyncWindow();
    if (!IsOpen() || origin < 0 || origin > 2) throw KXStream(kErrFileAccess, 0);
    const int64_t base = origin == 0 ? 0 : origin == 1 ? Tell() : GetSize();
    const int64_t target = base + offset;
    if (target < 0) throw KXStream(kErrFileAccess, 0);
    if (target >= offset_ && target <= offset_ + valid_) {
        pos_ = static_cast<int32_t>(target - offset_);
        return;
    }
    FlushBuffer();
    if (RawSeek(target, SEEK_SET) < 0) throw KXStream(kErrFileAccess, 0);
    offset_ = target;
}
