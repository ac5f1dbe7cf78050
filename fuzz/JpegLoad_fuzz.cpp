// Bytes decoded as a JPEG file. The first byte picks the frame format (24-,
// 32-, 16-bit or grey; bits 0-1) and the size the picture is decoded for
// (bits 2-7 times 8 pixels each way, 0 its own size: the library's scaling);
// the rest is the file.

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
    KBitmaps::ReadOptions options;
    options.minWidth = options.minHeight = (data[0] >> 2) * 8;
    frames.SetOptions(options);
    try {
        frames.ReadFrames(stream, KImageType::kJpeg);
    } catch (const KX&) {
    }
    return 0;
}
