#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "K3DFont.h"
#include "KPoint.h"
#include "KString.h"

// Everything that decides the pixels of a system-font glyph cell: the font,
// the text and whether it is one character or a whole string, the info's
// fields that reach the pixels, and the current values of the three bound
// settings (kMissing when absent).
struct K3DGlyphKey {
    static constexpr int32_t kMissing = INT32_MIN;

    const void* font;
    const KChar* text;
    int32_t length;
    bool fullString;
    int32_t size, widthPercent, charWidth, borderSize, shadowSize;
    uint32_t face, border, shadow, back;
    int32_t drawText, enable, bgLight;
};

// Finished glyph cells, most recently used first, bounded by the bytes of
// their pixels and ink runs. Storing finds each row's runs of ink once, so
// every later copy of the cell moves plain blocks of pixels. A lookup
// allocates nothing; storing may evict the oldest cells, and a cell larger
// than the whole budget is not kept. Allocation failures while storing only
// mean the cell is not kept.
//
// A pass (one draw of the display, band after band) keeps the cells it used
// beyond the budget, up to kPassBytes, so that a text drawn over several
// bands is rasterised once whatever its size: older cells go first, then
// this pass's least recently used. Ending the pass trims the cache to its
// budget again.
class K3DGlyphCache {
  public:
    static constexpr size_t kPassBytes = size_t{256} << 20;

    struct Cell {
        const uint32_t* pixels;
        const int32_t* rowStart;  // the ink runs as K3DGlyph has them
        const K3DInkRun* runs;
        KPoint extent;
        int32_t charWidth;  // the info's character width after the cell was made
    };

    explicit K3DGlyphCache(size_t budgetBytes) : budget_(budgetBytes) {}

    // 0 turns the cache off; shrinking evicts at once.
    void SetBudget(size_t bytes);
    void BeginPass();
    void EndPass();
    size_t Bytes() const { return bytes_; }

    // The cell stored under key, or null.
    const Cell* Find(const K3DGlyphKey& key);
    // The stored copy, or null when the cell is not kept.
    const Cell* Store(const K3DGlyphKey& key, const uint32_t* pixels, KPoint extent,
                      int32_t charWidth);

  private:
    struct Entry {
        uint64_t hash;
        K3DGlyphKey key;  // text points into `text`
        std::u16string text;
        std::unique_ptr<uint32_t[]> pixels;
        std::unique_ptr<int32_t[]> rowStart;
        std::unique_ptr<K3DInkRun[]> runs;
        size_t bytes;
        Cell cell;
        uint64_t pass;  // the last pass that used it
    };
    using Order = std::list<Entry>;

    static uint64_t Hash(const K3DGlyphKey& key);
    static bool SameKey(const K3DGlyphKey& a, const K3DGlyphKey& b);
    void EvictTo(size_t bytes);
    // Room for a cell of this many bytes: older cells within the budget,
    // then this pass's within the pass's allowance.
    void MakeRoom(size_t bytes);
    size_t Allowance() const;

    size_t budget_;
    uint64_t pass_ = 0;
    bool inPass_ = false;
    size_t bytes_ = 0;
    Order order_;
    std::unordered_multimap<uint64_t, Order::iterator> index_;
};
