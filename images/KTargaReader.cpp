#include "KTargaReader.h"

#include <algorithm>
#include <memory>
#include <new>

#include "KBitmaps.h"
#include "KImageLimits.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr int32_t kHeaderSize = 18;
constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopDown = 0x20;

uint32_t Word(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

bool IsSupportedDepth(int bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of one colour map entry of the given size in bits.
int32_t MapEntryBytes(int bits) {
    if (bits == 15 || bits == 16) return 2;
    return bits == 24 ? 3 : bits == 32 ? 4 : 0;
}

void SkipBytes(KStream& stream, int32_t n) {
    uint8_t scratch[256];
    for (; n > 0; n -= sizeof scratch) stream.Read(scratch, std::min<int32_t>(n, sizeof scratch));
}

// One file pixel of 2, 3 or 4 bytes as 0x00RRGGBB; 5-bit fields fill their
// byte by repeating their top bits.
uint32_t FilePixel(const uint8_t* p, int32_t bytes) {
    if (bytes > 2) return p[2] << 16 | p[1] << 8 | p[0];
    const uint32_t word = Word(p);
    uint32_t r = (word >> 7) & 0xF8, g = (word >> 2) & 0xF8, b = (word << 3) & 0xF8;
    r |= r >> 5, g |= g >> 5, b |= b >> 5;
    return r << 16 | g << 8 | b;
}

// Stores one file row into a bitmap row, reversing it when stored right to left.
void ConvertRow(const uint8_t* in, int32_t fileBytes, bool rightToLeft, KBitmap& bitmap,
                uint8_t* out) {
    const int32_t width = bitmap.Width(), bpp = bitmap.BytesPerPixel();
    for (int32_t x = 0; x < width; ++x) {
        const int32_t column = rightToLeft ? width - 1 - x : x;
        bitmap.EncodePixel(FilePixel(in + x * fileBytes, fileBytes), out + column * bpp);
    }
}

}  // namespace

void KTargaReader::Read(KStream& stream, KBitmaps& frames) {
    uint8_t header[kHeaderSize];
    stream.Read(header, kHeaderSize);
    const int bits = header[16];
    if (header[2] != kTrueColour || !IsSupportedDepth(bits)) throw KX(kErrFileVersion);
    const int32_t width = Word(header + 12), height = Word(header + 14);
    KCheckImageSides(width, height);
    KBitmap& bitmap = frames.AddFrame(width, height);

    int32_t skip = header[0];
    if (header[1] != 0) skip += Word(header + 5) * MapEntryBytes(header[7]);
    SkipBytes(stream, skip);

    const int32_t fileBytes = (bits + 1) / 8;
    const bool rightToLeft = header[17] & kRightToLeft;
    const bool topDown = header[17] & kTopDown;
    // Rows already in the bitmap's own layout are read straight into it.
    const bool direct = !rightToLeft && bitmap.Depth() == 24 && fileBytes == 3;
    std::unique_ptr<uint8_t[]> row;
    if (!direct) {
        row.reset(new (std::nothrow) uint8_t[size_t(width) * fileBytes]);
        if (!row) throw KX(kErrNoMemory);
    }
    for (int32_t i = 0; i < height; ++i) {
        uint8_t* out = bitmap.Row(topDown ? i : height - 1 - i);
        if (direct) {
            stream.Read(out, width * 3);
        } else {
            stream.Read(row.get(), width * fileBytes);
            ConvertRow(row.get(), fileBytes, rightToLeft, bitmap, out);
        }
    }
}
