#include "KReadCursor.h"

#include <cstring>

#include "KStream.h"
#include "KX.h"

bool KReadCursor::Read(void* buffer, int32_t n) {
    if (n <= 0) return error_ == 0;
    if (error_ == 0) {
        try {
            stream_.Read(buffer, n);
            return true;
        } catch (const KX& e) {
            error_ = e.Code();
        }
    }
    std::memset(buffer, 0, static_cast<size_t>(n));
    return false;
}
