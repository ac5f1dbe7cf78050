#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string>

#include "K3DFont.h"
#include "K3DGlyphCache.h"
#include "K3DScratch.h"
#include "K3DTypeface.h"
#include "KColorTable.h"
#include "KList.h"

class KLog;
class KRegistry;
class KRInt;
struct _FcConfig;

// The program's fonts: the internal bitmap font first, then one system font
// per installed family in case-insensitive name order. It owns what all
// fonts share: the colour table (read at creation), the three bound settings
// Display\DrawText, Display\AntiAlias\Enable and \BGLight (their values read
// at each use), the FreeType library, the grow-only coverage and pixel
// buffers, and the glyph cache. One list per program, used from one thread;
// while it exists, new font infos take their sizes from it.
class K3DFonts : public KListOf<K3DFont> {
  public:
    static constexpr size_t kCacheBytes = size_t{16} << 20;

    // Reads the colours and binds the settings of `settings`, which must
    // outlive the list; loads the bitmap font from `folder`; errors go to
    // `log` when given.
    K3DFonts(KRegistry& settings, const std::string& folder, KLog* log);
    ~K3DFonts() override;

    // The list of the running program, or null.
    static K3DFonts* Current();

    // The font of exactly this name (the last one found is tried first).
    // Arial, Times New Roman and Courier New, when not installed, are their
    // metric-compatible Liberation families.
    K3DFont* Find(const KString& name);

    // The operations of the font the info names; false without that font.
    bool Fit(KString& text, K3DFontInfo& info, int32_t* maxWidth, K3DFontOptimize* optimize);
    bool Draw(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
              K3DFontOptimize* optimize);
    bool Measure(const KString& text, K3DFontInfo& info, KPoint* extent);

    const KColorTable& Colors() const { return colors_; }
    // Display\DrawText, 0 when missing.
    int32_t DrawTextMode() const;
    const KRInt* AntiAliasEnable() const { return enable_; }
    const KRInt* BgLight() const { return bgLight_; }

    bool HasRenderer() const { return library_ != nullptr; }
    // The bold face of an installed family, emboldened when it has none.
    std::unique_ptr<K3DTypeface> OpenTypeface(const KString& family);
    K3DScratch<uint8_t>& Coverage() { return coverage_; }
    K3DScratch<uint32_t>& Pixels() { return pixels_; }
    K3DGlyphCache& Cache() { return cache_; }
    // How many glyph cells were rasterised since the list was made.
    int64_t Rasterised() const { return rasterised_; }
    void CountRasterised() { ++rasterised_; }
    // The line a text block fits and draws; one block draws at a time.
    KString& TextLine() { return textLine_; }
    void LogError(const char* message);

  private:
    void EnumerateFamilies();
    void InsertFamily(const KString& name);

    KLog* log_;
    KString textLine_{63, KString::kMaxLimit};
    KColorTable colors_;
    KRInt* drawText_;
    KRInt* enable_;
    KRInt* bgLight_;
    FT_Library library_ = nullptr;
    _FcConfig* config_ = nullptr;
    K3DScratch<uint8_t> coverage_;
    K3DScratch<uint32_t> pixels_;
    K3DGlyphCache cache_{kCacheBytes};
    K3DFont* lastFound_ = nullptr;
    int64_t rasterised_ = 0;
};
