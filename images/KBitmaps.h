#pragma once

#include <cstdint>
#include <memory>

#include "KBitmap.h"
#include "KImageType.h"
#include "KList.h"

class KStream;

// The frames of one picture file, in file order, with the loop count of an
// animation (-1 when the file gives none). New frames take the list's format.
// The frames together may take at most kMaxFramesBytes of pixels: a frame
// past that is refused as a failed allocation (2001).
class KBitmaps {
  public:
    explicit KBitmaps(int32_t format = KBitmap::kImageFormat) : format_(format) {}

    int32_t Format() const { return format_; }
    // The picture's size: that of every frame, known for a GIF without images too.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetSize(int32_t width, int32_t height) { width_ = width, height_ = height; }
    int32_t LoopCount() const { return loopCount_; }
    void SetLoopCount(int32_t count) { loopCount_ = count; }
    int32_t Count() const { return frames_.Count(); }
    KBitmap* Frame(int32_t index) const { return static_cast<KBitmap*>(frames_.At(index)); }
    KBitmap* Last() const { return static_cast<KBitmap*>(frames_.Tail()); }

    // Whether a GIF's disposal and first frame use the file's background
    // colour (the setting Display\GIFUseBg is 1) rather than black.
    void SetGifUseBackground(bool on) { gifUseBackground_ = on; }

    // Appends an allocated frame of this size in the list's format; raises
    // 2001 when its memory cannot be had or would pass the cap.
    KBitmap& AddFrame(int32_t width, int32_t height);

    // Replaces the frames with those of a file, its type told by the name of
    // the file behind the stream (Targa for a stream that is no file). On
    // failure the list is left empty and the error raised: 2001, 3004 (JPEG
    // or a read), 3009 (Targa), 3010 (GIF, or a side above 16384).
    void ReadFrames(KStream& stream);
    void ReadFrames(KStream& stream, KImageType type);

    // Every frame scaled to width × height, with the same loop count; null
    // when any frame fails to scale or the frames would pass the cap.
    std::unique_ptr<KBitmaps> ScaledFrames(int32_t width, int32_t height) const;

  private:
    void ReadFramesOfType(KStream& stream, KImageType type);

    int32_t format_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t loopCount_ = -1;
    bool gifUseBackground_ = false;
    int64_t bytes_ = 0;
    KList frames_;
};
