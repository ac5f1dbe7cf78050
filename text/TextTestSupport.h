#pragma once

// What the text tests share: a settings tree with the defaults, .fnt
// records built byte by byte, and a glyph sink that keeps what it is given.

#include <cstdint>
#include <string>
#include <vector>

#include "K3DFont.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"

struct DefaultSettings {
    DefaultSettings() { ApplyDefaultSettings(registry); }
    KRInt* Int(const char* path) { return registry.FindInt(KTestText(path)); }
    KRegistry registry;
};

// One .fnt record: code, rectangle 0,0,w-1,h-1, then `rows` (h strings of w
// bytes, bottom row first).
inline std::string FntRecord(int code, const std::vector<std::string>& rows) {
    const int w = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    const int h = static_cast<int>(rows.size());
    std::string r(1, static_cast<char>(code));
    for (int v : {0, 0, w - 1, h - 1})
        r += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    for (const std::string& row : rows) r += row;
    return r;
}

// A glyph of w × h pixels all of one stored byte.
inline std::string FntBlock(int code, int w, int h, char stored = 'q') {
    return FntRecord(code, std::vector<std::string>(h, std::string(w, stored)));
}

// The glyphs a sink received.
struct Drawn {
    struct Glyph {
        K3DRect rect;
        std::vector<uint32_t> pixels;
    };
    static bool Keep(const K3DGlyph& glyph, const K3DRect& rect, void* user) {
        auto* drawn = static_cast<Drawn*>(user);
        const size_t n =
            static_cast<size_t>(rect.right - rect.left + 1) * (rect.bottom - rect.top + 1);
        drawn->glyphs.push_back({rect, std::vector<uint32_t>(glyph.pixels, glyph.pixels + n)});
        return drawn->glyphs.size() < drawn->limit;
    }
    std::vector<Glyph> glyphs;
    size_t limit = SIZE_MAX;
};
