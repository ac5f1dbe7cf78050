#pragma once

#include <cstdint>

#include "KColorTable.h"
#include "KString.h"

class KStream;

// How one text is drawn: face name, size, width, squeezing, the four
// colours, border and shadow sizes and the text handling, plus the
// run-time character width the fonts work out (-1 = not yet computed).
//
// While a font list exists, the size follows the named font: a font that
// does not accept the size gives its default size, and a new size is taken
// only when the font accepts it. Every setter of the name, size, width,
// squeeze flag and squeeze minimum resets the character width.
class K3DFontInfo {
  public:
    static constexpr uint32_t kVersion = 0x1000F;

    K3DFontInfo();
    // A copy takes fields 1-12; the character width starts over.
    K3DFontInfo(const K3DFontInfo& other);
    K3DFontInfo& operator=(const K3DFontInfo& other);
    // Fields 1-12; the name compared exactly.
    bool operator==(const K3DFontInfo& other) const;

    const KString& FaceName() const { return faceName_; }
    void SetFaceName(const KString& name);
    int32_t Size() const { return size_; }
    void SetSize(int32_t size);
    int32_t WidthPercent() const { return widthPercent_; }
    void SetWidthPercent(int32_t percent);
    bool Squeeze() const { return squeeze_; }
    void SetSqueeze(bool on);
    int32_t SqueezeMinimum() const { return squeezeMinimum_; }
    void SetSqueezeMinimum(int32_t percent);
    int32_t CharWidth() const { return charWidth_; }
    void SetCharWidth(int32_t width) { charWidth_ = width; }

    // Stream form: written as version 0x1000F; versions 0x1000B..0x1000F and
    // 0x30005 are read, others raise KXPersistent (3009). Border size, shadow
    // size and text handling are not stored.
    void Write(KStream& stream) const;
    void Read(KStream& stream);

    KColor face = kColorWhite;
    KColor border = kColorBlack;
    KColor shadow = kColorBlack;
    KColor back = kColorBackground;
    int32_t borderSize = -1;    // -1 automatic, 0 none
    int32_t shadowSize = -1;    // -1 automatic
    int32_t textHandling = -1;  // -1 the setting, 0 characters, 1 automatic, 2 full string

  private:
    // The size the named font takes instead of `size`, or size itself.
    int32_t CheckedSize(int32_t size) const;

    KString31 faceName_;
    int32_t size_;
    int32_t widthPercent_ = 100;
    bool squeeze_ = false;
    int32_t squeezeMinimum_ = 50;
    int32_t charWidth_ = -1;
};
