// Bytes decoded as a GIF file. The first byte picks the background rule
// (bit 0: the file's background colour), the frame format (bits 1-2: 24-,
// 32-, 16-bit or grey) and whether the read stops after the first frame
// (bit 3); the rest is the file. Screens above 1024 ×
// 1024 are skipped: they only cost the time to fill their frames, and the
// size limits have tests of their own.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FrameFormats.h"
#include "KBitmaps.h"
#include "KMemoryStream.h"
#include "KX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int64_t screen =
        size < 11 ? 0 : int64_t{data[8] << 8 | data[7]} * (data[10] << 8 | data[9]);
    if (screen > 1024 * 1024) return 0;
    KMemoryStream stream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    KBitmaps frames(kFuzzFrameFormats[(data[0] >> 1) & 3]);
    KBitmaps::ReadOptions options;
    options.gifUseBackground = data[0] & 1;
    options.maxFrames = data[0] & 8 ? 1 : 0;
    frames.SetOptions(options);
    try {
        frames.ReadFrames(stream, KImageType::kGif);
    } catch (const KX&) {
    }
    return 0;
}
