#pragma once

#include <cstdint>
#include <memory>

#include "KBitmap.h"
#include "KGifSubBlocks.h"
#include "KLzwDecoder.h"

class KBitmaps;
class KStream;

// Decodes a GIF stream into complete frames: each frame is the whole logical
// screen as it looks at that moment, earlier images, disposal and
// transparency applied, with the frame's delay in milliseconds (-1 none) and
// the list's loop count from a NETSCAPE2.0 extension.
//
// An image goes into the previous frame when that frame has no delay yet
// (no graphic control, or a zero delay); otherwise it starts a new frame that
// copies the previous one. A read limited to n frames ends as soon as frame
// n has its delay, without reading further. Raises 3010 for a stream that breaks the format,
// 2001 when frames cannot be allocated, and the stream's error when the data
// ends before the trailer.
class GIFInfo {
  public:
    // With useBackground the file's background colour is used for the first
    // frame and for disposal; otherwise black.
    explicit GIFInfo(bool useBackground) : useBackground_(useBackground) {}

    // frames must be empty.
    void Decode(KStream& stream, KBitmaps& frames);

  private:
    struct Rect {
        int32_t left = 0, top = 0, width = 0, height = 0;
    };

    void ReadScreen(KStream& stream, KBitmaps& frames);
    void ReadExtension(KStream& stream, KBitmaps& frames);
    void ReadGraphicControl(KStream& stream);
    void ReadApplication(KBitmaps& frames);
    void ReadImage(KStream& stream, KBitmaps& frames);
    // Whether the frames asked for are complete: the next image would start
    // a frame past them.
    bool FramesDone(const KBitmaps& frames) const;
    KBitmap& ChooseFrame(KBitmaps& frames);
    void DisposePrevious(KBitmap& frame);
    void RememberDisposal(const KBitmap& frame);
    uint8_t* Indices(int64_t count);
    void Draw(KBitmap& frame, int64_t count, bool interlaced);

    const bool useBackground_;
    int32_t screenWidth_ = 0;
    int32_t screenHeight_ = 0;
    uint32_t background_ = 0;
    // Colours as 0x00RRGGBB.
    uint32_t global_[256] = {};
    uint32_t local_[256] = {};
    const uint32_t* table_ = global_;
    // The graphic control for the next image.
    int32_t controlFlags_ = 0;
    int32_t delay_ = -1;
    int32_t transparent_ = -1;
    // The previous image's disposal method and rectangle, and the picture
    // from before it for method 3.
    int32_t previousDisposal_ = 0;
    Rect previous_;
    std::unique_ptr<KBitmap> saved_;
    Rect image_;
    KGifSubBlocks data_;
    KLzwDecoder lzw_;
    // Colour indices of the current image, reused from image to image.
    std::unique_ptr<uint8_t[]> indices_;
    int64_t indicesSize_ = 0;
};
