#pragma once

#include <cstdint>
#include <string>

#include "K3DFont.h"
#include "K3DSportSize.h"
#include "KSparseArray.h"

// The internal bitmap font (empty name): fixed sizes, one per .fnt file of
// the application folder, keyed by height. Its glyphs are palette codes that
// take the info's colours when drawn; width, border, shadow, squeeze and text
// handling do not change them, and it always draws character by character.
class K3DSportFont : public K3DFont {
  public:
    K3DSportFont() : K3DFont(KString(u"")) {}

    // Loads every *.fnt of the folder. A file that cannot be opened is
    // skipped, and so is one without a space glyph, which has no height, and
    // anything that is not a plain file.
    void LoadFolder(const std::string& folder);

    bool IsValidSize(int32_t size) const override { return sizes_.At(size) != nullptr; }
    int32_t DefaultSize() const override;
    bool HasFixedSizes() const override { return true; }
    int32_t SizeCount() const override { return sizes_.Count(); }
    int32_t SizeAt(int32_t index) const override;
    bool UseFullString(const KString&, const K3DFontInfo&) const override { return false; }
    bool CharGlyph(KChar c, K3DFontInfo& info, K3DGlyph* glyph, KPoint* extent) override;

  private:
    void LoadFile(const std::string& path);

    KListOf<K3DSportSize, KSparseArray> sizes_;
};
