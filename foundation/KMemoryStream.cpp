#include "KMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "KX.h"

void KMemoryStream::SyncWindow() {
    if (const uint8_t* next = TakeReadWindow())
        next_ = static_cast<size_t>(next - reinterpret_cast<const uint8_t*>(bytes_.data()));
}

void KMemoryStream::Read(void* buffer, int32_t n) {
    SyncWindow();
    if (n <= 0) return;
    const size_t take = std::min(static_cast<size_t>(n), bytes_.size() - next_);
    std::memcpy(buffer, bytes_.data() + next_, take);
    NotifyRead(buffer, static_cast<int32_t>(take));
    next_ += take;
    if (take != static_cast<size_t>(n)) throw KXStream(kErrFileRead, static_cast<int32_t>(take));
    SetReadWindow(reinterpret_cast<const uint8_t*>(bytes_.data()) + next_,
                  reinterpret_cast<const uint8_t*>(bytes_.data()) + bytes_.size());
}

void KMemoryStream::Write(const void* buffer, int32_t n) {
    SyncWindow();
    if (n <= 0) return;
    bytes_.append(static_cast<const char*>(buffer), static_cast<size_t>(n));
    NotifyWrite(buffer, n);
}

std::string KMemoryStream::TakeBytes() {
    TakeReadWindow();
    next_ = 0;
    std::string taken;
    taken.swap(bytes_);
    return taken;
}
