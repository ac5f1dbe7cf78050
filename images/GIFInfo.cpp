#include "GIFInfo.h"

#include <cstring>
#include <new>

#include "KBitmaps.h"
#include "KImageLimits.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kApplication = 0xFF;
constexpr uint8_t kHasTable = 0x80;
constexpr uint8_t kInterlaced = 0x40;
constexpr int32_t kRestoreBackground = 2;
constexpr int32_t kRestorePrevious = 3;

int32_t Word(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

uint8_t ReadByte(KStream& stream) {
    uint8_t byte;
    stream.Read(&byte, 1);
    return byte;
}

// Reads a colour table of 2^((flags & 7) + 1) entries into table.
void ReadTable(KStream& stream, uint8_t flags, uint32_t* table) {
    const int32_t entries = 2 << (flags & 7);
    uint8_t rgb[256 * 3];
    stream.Read(rgb, entries * 3);
    for (int32_t i = 0; i < entries; ++i)
        table[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
}

// The image row of the n-th decoded row: interlaced images send every 8th row
// from 0, every 8th from 4, every 4th from 2, then every 2nd from 1.
int32_t InterlacedRow(int32_t n, int32_t height) {
    static constexpr int32_t kStart[4] = {0, 4, 2, 1};
    static constexpr int32_t kStep[4] = {8, 8, 4, 2};
    for (int32_t pass = 0; pass < 4; ++pass) {
        const int32_t rows = (height + kStep[pass] - kStart[pass] - 1) / kStep[pass];
        if (n < rows) return kStart[pass] + n * kStep[pass];
        n -= rows;
    }
    return height;  // not reached: the passes hold every row
}

// One run of indices into N-byte frame pixels; the transparent index (-1 for
// none) leaves the frame's pixel as it was.
template <int N>
void DrawRun(const uint8_t* indices, int32_t count, const uint8_t (*palette)[4],
             int32_t transparent, uint8_t* out) {
    for (int32_t x = 0; x < count; ++x, out += N) {
        const uint8_t index = indices[x];
        if (index != transparent) std::memcpy(out, palette[index], N);
    }
}

}  // namespace

void GIFInfo::Decode(KStream& stream, KBitmaps& frames) {
    ReadScreen(stream, frames);
    // The frames asked for are complete: what follows them is never read.
    while (!FramesDone(frames)) {
        const uint8_t introducer = ReadByte(stream);
        if (introducer == kTrailer) return;
        data_.Begin(stream);
        if (introducer == kExtension) {
            ReadExtension(stream, frames);
        } else if (introducer == kImage) {
            ReadImage(stream, frames);
        }
        data_.SkipRest();
    }
}

void GIFInfo::ReadScreen(KStream& stream, KBitmaps& frames) {
    uint8_t header[13];
    stream.Read(header, sizeof header);
    // The version after "GIF" is not looked at: files claim all sorts.
    if (std::memcmp(header, "GIF", 3) != 0) throw KX(kErrFileContents);
    screenWidth_ = Word(header + 6);
    screenHeight_ = Word(header + 8);
    if (screenWidth_ < 1 || screenHeight_ < 1) throw KX(kErrFileContents);
    KCheckImageSides(screenWidth_, screenHeight_);
    frames.SetSize(screenWidth_, screenHeight_);
    const uint8_t flags = header[10];
    if (flags & kHasTable) {
        ReadTable(stream, flags, global_);
        if (useBackground_) background_ = global_[header[11]];
    }
}

void GIFInfo::ReadExtension(KStream& stream, KBitmaps& frames) {
    const uint8_t label = ReadByte(stream);
    if (label == kGraphicControl) {
        ReadGraphicControl(stream);
    } else if (label == kApplication) {
        ReadApplication(frames);
    }
}

void GIFInfo::ReadGraphicControl(KStream& stream) {
    if (ReadByte(stream) != 4) throw KX(kErrFileContents);
    uint8_t control[4];
    stream.Read(control, sizeof control);
    controlFlags_ = control[0];
    delay_ = Word(control + 1) * 10;
    if (controlFlags_ & 1) transparent_ = control[3];
}

void GIFInfo::ReadApplication(KBitmaps& frames) {
    uint8_t id[11];
    if (data_.Read(id, sizeof id) != sizeof id || std::memcmp(id, "NETSCAPE2.0", 11) != 0) return;
    // A sub-block identifier, then the count, low byte first.
    uint8_t loop[3];
    if (data_.Read(loop, sizeof loop) != sizeof loop) return;
    const int32_t count = Word(loop + 1);
    frames.SetLoopCount(count == 0xFFFF ? 0 : count);
}

void GIFInfo::ReadImage(KStream& stream, KBitmaps& frames) {
    uint8_t descriptor[9];
    stream.Read(descriptor, sizeof descriptor);
    image_ = {Word(descriptor), Word(descriptor + 2), Word(descriptor + 4), Word(descriptor + 6)};
    if (image_.width < 1 || image_.height < 1 || image_.left + image_.width > screenWidth_ ||
        image_.top + image_.height > screenHeight_)
        throw KX(kErrFileContents);
    const uint8_t flags = descriptor[8];
    table_ = global_;
    if (flags & kHasTable) {
        ReadTable(stream, flags, local_);
        table_ = local_;
    }
    const int32_t minCodeSize = ReadByte(stream);
    if (minCodeSize < 2 || minCodeSize > 8) throw KX(kErrFileContents);
    lzw_.Start(minCodeSize);

    KBitmap& frame = ChooseFrame(frames);
    DisposePrevious(frame);
    RememberDisposal(frame);
    if (delay_ >= 0) frame.SetDelay(delay_);
    const int64_t pixels = int64_t{image_.width} * image_.height;
    const int64_t count = lzw_.Decode(data_, Indices(pixels), pixels);
    Draw(frame, count, flags & kInterlaced);
    controlFlags_ = 0;
    delay_ = -1;
    transparent_ = -1;
}

bool GIFInfo::FramesDone(const KBitmaps& frames) const {
    const int32_t wanted = frames.Options().maxFrames;
    const KBitmap* last = frames.Last();
    // A frame without a delay yet takes the next image too.
    return wanted > 0 && frames.Count() >= wanted && last && last->Delay() >= 1;
}

KBitmap& GIFInfo::ChooseFrame(KBitmaps& frames) {
    KBitmap* previous = frames.Last();
    if (previous && previous->Delay() < 1) return *previous;
    KBitmap& frame = frames.AddFrame(screenWidth_, screenHeight_);
    if (previous) {
        frame.CopyFrom(*previous);
    } else {
        frame.Fill(background_);
    }
    return frame;
}

void GIFInfo::DisposePrevious(KBitmap& frame) {
    if (previousDisposal_ == kRestorePrevious && saved_) {
        frame.CopyFrom(*saved_);
    } else if (previousDisposal_ == kRestoreBackground || previousDisposal_ == kRestorePrevious) {
        frame.FillRect(previous_.left, previous_.top, previous_.left + previous_.width - 1,
                       previous_.top + previous_.height - 1, background_);
    }
}

void GIFInfo::RememberDisposal(const KBitmap& frame) {
    previousDisposal_ = (controlFlags_ >> 2) & 7;
    previous_ = image_;
    if (previousDisposal_ != kRestorePrevious) return;
    if (!saved_) {
        saved_.reset(new (std::nothrow) KBitmap(frame.Width(), frame.Height(), frame.Format()));
        if (!saved_ || !saved_->Allocate()) throw KX(kErrNoMemory);
    }
    saved_->CopyFrom(frame);
}

uint8_t* GIFInfo::Indices(int64_t count) {
    if (count > indicesSize_) {
        indices_.reset(new (std::nothrow) uint8_t[count]);
        indicesSize_ = indices_ ? count : 0;
        if (!indices_) throw KX(kErrNoMemory);
    }
    return indices_.get();
}

void GIFInfo::Draw(KBitmap& frame, int64_t count, bool interlaced) {
    uint8_t palette[256][4];
    for (int32_t i = 0; i < 256; ++i) frame.EncodePixel(table_[i], palette[i]);
    const int32_t bpp = frame.BytesPerPixel();
    const int32_t width = image_.width;
    for (int64_t n = 0; n < count; n += width) {
        const int32_t row = int32_t(n / width);
        const int32_t y = image_.top + (interlaced ? InterlacedRow(row, image_.height) : row);
        const int32_t run = int32_t(std::min<int64_t>(width, count - n));
        uint8_t* out = frame.Row(y) + image_.left * bpp;
        const uint8_t* in = indices_.get() + n;
        switch (bpp) {
            case 1:
                DrawRun<1>(in, run, palette, transparent_, out);
                break;
            case 2:
                DrawRun<2>(in, run, palette, transparent_, out);
                break;
            case 3:
                DrawRun<3>(in, run, palette, transparent_, out);
                break;
            case 4:
                DrawRun<4>(in, run, palette, transparent_, out);
                break;
        }
    }
}
