// Bytes read as a Targa file. The first byte picks the frame format (24-,
// 32-, 16-bit or grey) and the rest is the file; a picture that loads is also
// scaled, so the scaler meets every size the loader lets through.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FrameFormats.h"
#include "KBitmaps.h"
#include "KMemoryStream.h"
#include "KX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    KMemoryStream stream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    KBitmaps frames(kFuzzFrameFormats[data[0] & 3]);
    try {
        frames.ReadFrames(stream, KImageType::kTarga);
        frames.ScaledFrames(7, 5);
    } catch (const KX&) {
    }
    return 0;
}
