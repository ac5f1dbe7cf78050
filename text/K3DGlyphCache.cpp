#include "K3DGlyphCache.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "KColorTable.h"

namespace {

// FNV-1a over the bytes of a value.
void Mix(uint64_t& h, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
}

template <typename T>
void MixValue(uint64_t& h, T v) {
    Mix(h, &v, sizeof v);
}

// The runs of ink of every row, as K3DGlyph has them; with null outputs
// only counted.
size_t FindRuns(const uint32_t* pixels, KPoint extent, int32_t* rowStart, K3DInkRun* runs) {
    size_t n = 0;
    for (int32_t y = 0; y < extent.y; ++y, pixels += extent.x) {
        if (rowStart) rowStart[y] = static_cast<int32_t>(n);
        for (int32_t x = 0; x < extent.x;) {
            if (pixels[x] == kTransparentPixel) {
                ++x;
                continue;
            }
            const int32_t first = x;
            while (x < extent.x && pixels[x] != kTransparentPixel) ++x;
            if (runs) runs[n] = K3DInkRun{first, x - 1};
            ++n;
        }
    }
    if (rowStart) rowStart[extent.y] = static_cast<int32_t>(n);
    return n;
}

}  // namespace

uint64_t K3DGlyphCache::Hash(const K3DGlyphKey& k) {
    uint64_t h = 0xCBF29CE484222325ull;
    MixValue(h, k.font);
    Mix(h, k.text, static_cast<size_t>(k.length) * sizeof(KChar));
    const int32_t ints[] = {k.length,
                            k.fullString,
                            k.size,
                            k.widthPercent,
                            k.charWidth,
                            k.borderSize,
                            k.shadowSize,
                            static_cast<int32_t>(k.face),
                            static_cast<int32_t>(k.border),
                            static_cast<int32_t>(k.shadow),
                            static_cast<int32_t>(k.back),
                            k.drawText,
                            k.enable,
                            k.bgLight};
    Mix(h, ints, sizeof ints);
    return h;
}

bool K3DGlyphCache::SameKey(const K3DGlyphKey& a, const K3DGlyphKey& b) {
    return a.font == b.font && a.length == b.length && a.fullString == b.fullString &&
           a.size == b.size && a.widthPercent == b.widthPercent && a.charWidth == b.charWidth &&
           a.borderSize == b.borderSize && a.shadowSize == b.shadowSize && a.face == b.face &&
           a.border == b.border && a.shadow == b.shadow && a.back == b.back &&
           a.drawText == b.drawText && a.enable == b.enable && a.bgLight == b.bgLight &&
           std::memcmp(a.text, b.text, static_cast<size_t>(a.length) * sizeof(KChar)) == 0;
}

void K3DGlyphCache::SetBudget(size_t bytes) {
    budget_ = bytes;
    if (!inPass_) EvictTo(budget_);
}

void K3DGlyphCache::BeginPass() {
    ++pass_;
    inPass_ = true;
}

void K3DGlyphCache::EndPass() {
    inPass_ = false;
    EvictTo(budget_);
}

size_t K3DGlyphCache::Allowance() const {
    return inPass_ ? std::max(budget_, kPassBytes) : budget_;
}

void K3DGlyphCache::MakeRoom(size_t bytes) {
    while (!order_.empty() && order_.back().pass != pass_ && bytes_ + bytes > budget_)
        EvictTo(bytes_ - order_.back().bytes);
    EvictTo(Allowance() - bytes);
}

const K3DGlyphCache::Cell* K3DGlyphCache::Find(const K3DGlyphKey& key) {
    if (budget_ == 0) return nullptr;
    auto [first, last] = index_.equal_range(Hash(key));
    for (auto it = first; it != last; ++it) {
        if (!SameKey(it->second->key, key)) continue;
        order_.splice(order_.begin(), order_, it->second);
        it->second->pass = pass_;
        return &it->second->cell;
    }
    return nullptr;
}

const K3DGlyphCache::Cell* K3DGlyphCache::Store(const K3DGlyphKey& key, const uint32_t* pixels,
                                                KPoint extent, int32_t charWidth) {
    const size_t rows = static_cast<size_t>(extent.y);
    const size_t count = static_cast<size_t>(extent.x) * rows;
    const size_t runs = FindRuns(pixels, extent, nullptr, nullptr);
    const size_t bytes = count * sizeof(uint32_t) + (rows + 1) * sizeof(int32_t) +
                         runs * sizeof(K3DInkRun) + static_cast<size_t>(key.length) * 2 + 128;
    if (budget_ == 0 || bytes > Allowance() || runs > INT32_MAX) return nullptr;
    MakeRoom(bytes);
    try {
        Entry entry{Hash(key),
                    key,
                    std::u16string(key.text, static_cast<size_t>(key.length)),
                    std::unique_ptr<uint32_t[]>(new uint32_t[count]),
                    std::unique_ptr<int32_t[]>(new int32_t[rows + 1]),
                    std::unique_ptr<K3DInkRun[]>(new K3DInkRun[runs]),
                    bytes,
                    {},
                    pass_};
        std::copy(pixels, pixels + count, entry.pixels.get());
        FindRuns(pixels, extent, entry.rowStart.get(), entry.runs.get());
        order_.push_front(std::move(entry));
        Entry& stored = order_.front();
        stored.key.text = stored.text.data();
        stored.cell =
            Cell{stored.pixels.get(), stored.rowStart.get(), stored.runs.get(), extent, charWidth};
        try {
            index_.emplace(stored.hash, order_.begin());
        } catch (const std::bad_alloc&) {
            order_.pop_front();
            return nullptr;
        }
        bytes_ += bytes;
        return &stored.cell;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void K3DGlyphCache::EvictTo(size_t bytes) {
    while (bytes_ > bytes && !order_.empty()) {
        Entry& oldest = order_.back();
        auto [first, last] = index_.equal_range(oldest.hash);
        for (auto it = first; it != last; ++it) {
            if (&*it->second == &oldest) {
                index_.erase(it);
                break;
            }
        }
        bytes_ -= oldest.bytes;
        order_.pop_back();
    }
}
