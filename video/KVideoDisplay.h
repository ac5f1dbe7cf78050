#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "K3DFont.h"
#include "K3DFontInfo.h"
#include "K3DFontOptimize.h"
#include "KColorTable.h"
#include "KString.h"
#include "KVideoBuffer.h"

class K3DFonts;
class KBitmaps;
class KVideoValue;

// A small raster drawn by a command stream carried in a field value, as a
// character-grid board protocol sends it. Commands are DC2 name [= value]
// DC4; they lay a grid of cells over the picture and draw 3D text and
// pictures into ranges of cells, with text and picture styles that persist
// until the next "LayoutSetup". The receive state, the grid, the cursor and
// the styles all persist across Feed calls, so a command may be split over
// several values.
//
// Sizes: Setup takes the owner's size; the logical picture the commands
// draw is that size, its sides exchanged for rotation 1 (left) and 2
// (right). Buffer() is the picture in the owner's orientation. Bad input is
// ignored: unknown names, malformed values (a field that does not parse
// leaves its setting as it was), characters outside a command, pictures that
// cannot be read (their cells drawn empty). Pictures are read from plain
// files only: a pipe or a device would block the reader. "ImageDraw" takes
// its picture from the program's picture cache: a file is decoded again only
// when its size or time changed, and only as far as it is drawn (the first
// frame; a JPEG at the scale it is drawn at). Drawing allocates nothing once
// warm, except for pictures not cached yet.
class KVideoDisplay {
  public:
    static constexpr int32_t kSlots = 128;
    static constexpr int32_t kNameLength = 63;
    static constexpr int32_t kValueLength = 255;

    // How text is drawn: the font, justification 0 left, 1 centre, 2 right,
    // left and right margins in pixels, and whether optimize slots are used.
    struct TextInfo {
        K3DFontInfo font;
        int32_t justification = 0;
        int32_t marginLeft = 2;
        int32_t marginRight = 2;
        bool optimize = true;
    };
    // How a picture is placed: justification 0 left/top, 1 centre, 2
    // right/bottom; margins in pixels; stretch 0 off, 1 on, 2 on keeping the
    // aspect ratio.
    struct ImageInfo {
        int32_t justifyX = 1;
        int32_t justifyY = 1;
        int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
        int32_t stretch = 2;
    };
    // What one optimize slot remembers of its last draw.
    struct TextOptimize {
        K3DRect rect{0, 0, -1, -1};
        int32_t marginLeft = -1;
        int32_t marginRight = -1;
        int32_t justification = -1;
        K3DFontOptimize optimize;
    };

    // fonts may be null (nothing is then drawn); folder is the application
    // directory that relative picture names start from. Both must outlive
    // the display.
    KVideoDisplay(K3DFonts* fonts, const KString& folder);

    // Sets the owner's size and rotation (outside 0..2 counts as 0). Keeps
    // the picture when the logical size and rotation are unchanged; else a
    // new black one. False, with no picture, unless both sides are 1..16384
    // and the memory can be had.
    bool Setup(int32_t width, int32_t height, int32_t rotation);
    // Drops the picture; size 0 × 0, rotation 0, optimize slots forgotten.
    void Release();
    // Runs every character through the receiver; false (nothing done)
    // without a picture or without fonts.
    bool Feed(const KString& text);
    // Whether "LayoutFlush" came since the last call; clears it.
    bool TakeFlush();

    int32_t Rotation() const { return buffer_.Rotation(); }
    // Logical size: 0 × 0 without a picture.
    int32_t Width() const { return buffer_.Width(); }
    int32_t Height() const { return buffer_.Height(); }
    bool HasBuffer() const { return buffer_.HasPixels(); }
    // The picture in the owner's orientation: 32-bit, 0x00RRGGBB.
    const KBitmap& Buffer() const { return buffer_.Bitmap(); }
    // The pixel at logical (x, y).
    uint32_t Pixel(int32_t x, int32_t y) const { return buffer_.Pixel(x, y); }

    int32_t Columns() const { return columns_; }
    int32_t Rows() const { return rows_; }
    int32_t CursorColumn() const { return column_; }
    int32_t CursorRow() const { return row_; }
    KColor LayoutBackColor() const { return backColor_; }
    // The style the next "TextDraw" and "ImageDraw" use.
    const TextInfo& CurrentText() const { return *text_; }
    const ImageInfo& CurrentImage() const { return *image_; }

  private:
    enum class Receive { kIdle, kName, kValue };

    void FeedChar(KChar c);
    void Execute();
    void LayoutSetup(KVideoValue& value);
    // Position fields: width, height, column, row.
    void SetRange(KVideoValue& value);
    void Advance();
    // Unset ends become the cursor cell.
    void DefaultEnds();
    // The pixels of the range; false when it has no cells or lies outside.
    bool RangeRect(K3DRect* rect) const;
    // The commands that change the current text or image style.
    void TextStyle(int32_t command, KVideoValue& value);
    void ImageStyle(int32_t command, KVideoValue& value);
    void TextDraw(const KString& text);
    // This pass's next optimize slot, none after the last.
    TextOptimize* NextSlot();
    void DrawText(const KString& text, const K3DRect& rect, TextOptimize* slot);
    void ImageDraw(const KString& name);
    // The cell less the current image margins (may be empty).
    K3DRect InnerRect(const K3DRect& cell) const;
    // The named picture's first frame, decoded no larger than the inner
    // rectangle needs when stretched; null when it cannot be read.
    std::shared_ptr<const KBitmaps> LoadImage(const KString& name, const K3DRect& inner) const;
    void DrawImage(const KBitmaps& picture, const K3DRect& cell, const K3DRect& inner);
    void FillBack(const K3DRect& rect);
    void RestoreDefaults();

    K3DFonts* fonts_;
    KString folder_;
    KVideoBuffer buffer_;
    bool flush_ = false;

    Receive state_ = Receive::kIdle;
    KString63 name_;
    KString255 value_;

    int32_t columns_ = 1;
    int32_t rows_ = 1;
    int32_t column_ = 0;
    int32_t row_ = 0;
    std::optional<int32_t> endColumn_;
    std::optional<int32_t> endRow_;
    KColor backColor_ = kColorBlack;

    TextInfo textSetup_;
    TextInfo textCopy_;
    TextInfo* text_ = &textSetup_;
    ImageInfo imageSetup_;
    ImageInfo imageCopy_;
    ImageInfo* image_ = &imageSetup_;

    std::array<TextOptimize, kSlots> slots_;
    int32_t slotsUsed_ = 0;
    int32_t slotsBefore_ = 0;
    KString255 fitted_;  // the text of the TextDraw being fitted
};
