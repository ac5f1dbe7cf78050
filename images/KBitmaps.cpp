#include "KBitmaps.h"

#include <algorithm>
#include <new>

#include "GIFInfo.h"
#include "KFile.h"
#include "KImageLimits.h"
#include "KJpegReader.h"
#include "KTargaReader.h"
#include "KX.h"

KBitmap& KBitmaps::AddFrame(int32_t width, int32_t height) {
    std::unique_ptr<KBitmap> frame(new (std::nothrow) KBitmap(width, height, format_));
    if (!frame) throw KX(kErrNoMemory);
    const int64_t bytes = frame->Stride() * height;
    const int64_t cap = std::min(options_.maxBytes, kMaxFramesBytes);
    if (bytes > cap - bytes_ || !frame->Allocate()) throw KX(kErrNoMemory);
    bytes_ += bytes;
    width_ = width, height_ = height;
    KBitmap& added = *frame;
    frames_.Add(std::move(frame));
    return added;
}

void KBitmaps::ReadFrames(KStream& stream) {
    const auto* file = dynamic_cast<const KFile*>(&stream);
    ReadFrames(stream, file ? KImageTypeOf(file->Path()) : KImageType::kTarga);
}

void KBitmaps::ReadFrames(KStream& stream, KImageType type) {
    frames_.Clear();
    bytes_ = 0;
    width_ = height_ = 0;
    naturalWidth_ = naturalHeight_ = 0;
    loopCount_ = -1;
    try {
        ReadFramesOfType(stream, type);
    } catch (const KX&) {
        frames_.Clear();
        bytes_ = 0;
        width_ = height_ = 0;
        naturalWidth_ = naturalHeight_ = 0;
        throw;
    }
}

void KBitmaps::ReadFramesOfType(KStream& stream, KImageType type) {
    switch (type) {
        case KImageType::kGif:
            GIFInfo(options_.gifUseBackground).Decode(stream, *this);
            break;
        case KImageType::kJpeg:
            KJpegReader::Read(stream, *this);
            break;
        case KImageType::kTarga:
            KTargaReader::Read(stream, *this);
            break;
    }
}

std::unique_ptr<KBitmaps> KBitmaps::ScaledFrames(int32_t width, int32_t height) const {
    std::unique_ptr<KBitmaps> scaled(new (std::nothrow) KBitmaps(format_));
    if (!scaled) return nullptr;
    scaled->loopCount_ = loopCount_;
    scaled->naturalWidth_ = NaturalWidth();
    scaled->naturalHeight_ = NaturalHeight();
    scaled->width_ = width < 0 ? width_ : width;
    scaled->height_ = height < 0 ? height_ : height;
    for (const KBitmap& each : frames_) {
        std::unique_ptr<KBitmap> frame = each.Scaled(width, height);
        if (!frame) return nullptr;
        scaled->bytes_ += frame->Stride() * frame->Height();
        if (scaled->bytes_ > kMaxFramesBytes) return nullptr;
        scaled->frames_.Add(std::move(frame));
    }
    return scaled;
}
