#pragma once

#include <cstdint>
#include <memory>

#include "KBitmap.h"
#include "KImageLimits.h"
#include "KImageType.h"
#include "KList.h"

class KStream;

// The frames of one picture file, in file order, with the loop count of an
// animation (-1 when the file gives none). New frames take the list's format.
// The frames together may take at most kMaxFramesBytes of pixels (or the
// lower limit a read is given): a frame past that is refused as a failed
// allocation (2001).
class KBitmaps {
  public:
    // How much of a file a read decodes: at most maxFrames frames (0: all;
    // a GIF stops where the frame after the last one kept would begin), a
    // JPEG at the smallest scale of eighths that still gives minWidth ×
    // minHeight pixels (or its own size when that is smaller; 0 × 0 keeps
    // its own size), at most maxBytes of frames, and a GIF's disposal and
    // first frame on its background colour (the setting Display\GIFUseBg
    // is 1) rather than black.
    struct ReadOptions {
        int32_t maxFrames = 0;
        int32_t minWidth = 0;
        int32_t minHeight = 0;
        int64_t maxBytes = kMaxFramesBytes;
        bool gifUseBackground = false;
    };

    explicit KBitmaps(int32_t format = KBitmap::kImageFormat) : format_(format) {}

    int32_t Format() const { return format_; }
    // The picture's size: that of every frame, known for a GIF without images too.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetSize(int32_t width, int32_t height) { width_ = width, height_ = height; }
    // The size the file gives, before a JPEG's scaling; the frames' size
    // for every other file.
    int32_t NaturalWidth() const { return naturalWidth_ ? naturalWidth_ : width_; }
    int32_t NaturalHeight() const { return naturalHeight_ ? naturalHeight_ : height_; }
    void SetNaturalSize(int32_t width, int32_t height) {
        naturalWidth_ = width, naturalHeight_ = height;
    }
    // Pixel bytes of all frames.
    int64_t Bytes() const { return bytes_; }
    int32_t LoopCount() const { return loopCount_; }
    void SetLoopCount(int32_t count) { loopCount_ = count; }
    int32_t Count() const { return frames_.Count(); }
    KBitmap* Frame(int32_t index) const { return frames_.At(index); }
    KBitmap* Last() const { return frames_.Tail(); }
    const KListOf<KBitmap>& Frames() const { return frames_; }

    const ReadOptions& Options() const { return options_; }
    void SetOptions(const ReadOptions& options) { options_ = options; }
    void SetGifUseBackground(bool on) { options_.gifUseBackground = on; }

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
    int32_t naturalWidth_ = 0;
    int32_t naturalHeight_ = 0;
    int32_t loopCount_ = -1;
    ReadOptions options_;
    int64_t bytes_ = 0;
    KListOf<KBitmap> frames_;
};
