#include "K3DSportGlyph.h"

#include <new>

#include "KReadCursor.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr uint8_t kFirstLetter = 'q';  // code 1
constexpr uint8_t kLastLetter = 'x';   // code 8
constexpr int32_t kNine = '9';
// A "9" this tall carries a stray bottom row in the files the fonts come in.
constexpr int32_t kNineRows = 83;

uint8_t CodeOf(uint8_t stored) {
    return stored >= kFirstLetter && stored <= kLastLetter ? stored - kFirstLetter + 1 : 0;
}

}  // namespace

K3DSportGlyph::K3DSportGlyph(int32_t code, int32_t width, int32_t height)
    : KSparseArrayItem(code), width_(width), height_(height) {}

std::unique_ptr<K3DSportGlyph> K3DSportGlyph::ReadRecord(KStream& stream) {
    KReadCursor cursor(stream);
    uint8_t head[9];
    if (!cursor.Read(head, sizeof head)) return nullptr;
    auto field = [&head](int at) {
        return static_cast<int32_t>(static_cast<int16_t>(head[at] | head[at + 1] << 8));
    };
    const int32_t width = field(5) - field(1) + 1;
    const int32_t height = field(7) - field(3) + 1;
    if (width < 1 || height < 1 || width > kMaxWidth || height > kMaxHeight) return nullptr;

    std::unique_ptr<K3DSportGlyph> glyph(new (std::nothrow) K3DSportGlyph(head[0], width, height));
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (glyph) glyph->codes_.reset(new (std::nothrow) uint8_t[count]);
    if (!glyph || !glyph->codes_) throw KX(kErrNoMemory);
    // Stored bottom row first: row r of the record is row height-1-r.
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = glyph->codes_.get() + static_cast<size_t>(height - 1 - r) * width;
        cursor.Read(row, width);
        for (int32_t x = 0; x < width; ++x) row[x] = CodeOf(row[x]);
    }
    if (cursor.Error() != 0) return nullptr;
    if (head[0] == kNine && height == kNineRows) {
        uint8_t* bottom = glyph->codes_.get() + static_cast<size_t>(height - 1) * width;
        for (int32_t x = 0; x < width; ++x) bottom[x] = 0;
    }
    return glyph;
}
