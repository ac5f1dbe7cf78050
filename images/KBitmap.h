#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "KListItem.h"

// One picture in memory. The format packs the depth (bits 0-4: 1 = 8-bit
// grey, 2 = 15-bit, 4 = 16-bit, 8 = 24-bit, 0x10 = 32-bit; the lowest set bit
// wins), the row alignment (0x20 = 1 byte, 0x40 = 2, 0x80 = 4; the lowest set
// bit wins, none is 1 byte) and kKeepLarger (a smaller size keeps the larger
// block). Rows are top-down. One pixel is a grey level (R+G+B)/3, a
// little-endian word 0RRRRRGGGGGBBBBB, the bytes B, G, R, or B, G, R, 0; so a
// 24- or 32-bit pixel read as a number is 0x00RRGGBB, the form every colour
// takes in this interface.
//
// The bitmap owns its pixel block, or borrows pixels owned by someone else and
// then never allocates or frees. Blocks above kMaxFramesBytes are refused
// like a failed allocation. Coordinates outside the bitmap are ignored.
class KBitmap : public KListItem {
  public:
    enum : int32_t {
        kGrey8 = 0x01,
        kDepth15 = 0x02,
        kDepth16 = 0x04,
        kDepth24 = 0x08,
        kDepth32 = 0x10,
        kAlign1 = 0x20,
        kAlign2 = 0x40,
        kAlign4 = 0x80,
        kKeepLarger = 0x100,
        // Every loaded image, and the video display buffer.
        kImageFormat = kDepth24 | kAlign4,
        kBufferFormat = kDepth32 | kAlign4,
    };

    KBitmap() = default;
    KBitmap(int32_t width, int32_t height, int32_t format)
        : width_(width), height_(height), format_(format) {}
    const char* ClassName() const override { return "KBitmap"; }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Format() const { return format_; }
    // Changing the size or format takes effect on pixels at the next Allocate.
    void SetSize(int32_t width, int32_t height) { width_ = width, height_ = height; }
    void SetFormat(int32_t format) { format_ = format; }
    // Shows pixels laid out in this bitmap's size and format; frees the owned block.
    void Borrow(uint8_t* pixels);

    // 8, 15, 16, 24 or 32; 0 for a format without a depth bit.
    int32_t Depth() const;
    int32_t BytesPerPixel() const { return (Depth() + 1) / 8; }
    int64_t Stride() const;
    // The drawing code of the pixel layout: 32, 24 (rows padded to 4 bytes),
    // -24 (packed rows), 0 for layouts the display cannot copy.
    int32_t DepthCode() const;

    // Sizes the owned block for the current size and format; false when the
    // memory cannot be had (the bitmap then has no pixels).
    bool Allocate();
    uint8_t* Row(int32_t y);
    const uint8_t* Row(int32_t y) const;

    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t rgb);
    void Fill(uint32_t rgb) { FillRect(0, 0, width_ - 1, height_ - 1, rgb); }
    // Inclusive edges.
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb);
    // Copies all pixels of a bitmap of the same size and format.
    bool CopyFrom(const KBitmap& other);
    // A nearest-neighbour copy of a 24- or 32-bit bitmap at the new size (a
    // negative side keeps that side); sides must be 1..16384. Null on failure.
    std::unique_ptr<KBitmap> Scaled(int32_t width, int32_t height) const;

    // One pixel in this bitmap's layout, and back.
    void EncodePixel(uint32_t rgb, uint8_t* out) const;
    uint32_t DecodePixel(const uint8_t* in) const;

    // Display time in milliseconds, -1 for none.
    int32_t Delay() const { return delay_; }
    void SetDelay(int32_t ms) { delay_ = ms; }

    // Writes the picture as a 24-bit RGB PNG file; false when it cannot.
    bool SavePng(const std::string& path) const;

  private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t format_ = kImageFormat;
    uint8_t* pixels_ = nullptr;
    bool borrowed_ = false;
    struct FreeBlock {
        void operator()(uint8_t* block) const { std::free(block); }
    };
    std::unique_ptr<uint8_t, FreeBlock> block_;
    int64_t blockSize_ = 0;
    int32_t delay_ = -1;
};
