#include "KJpegReader.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <new>

#include "KBitmaps.h"
#include "KImageLimits.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr int32_t kSourceBufferSize = 1024;
// Each scan of a progressive file is a pass over the whole picture, and a
// file may claim thousands; encoders write a few dozen at most.
constexpr int kMaxScans = 500;

// The decompression object with everything its callbacks need. It lives
// outside the function that calls setjmp, so a jump skips no destructor.
struct Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::jmp_buf failed{};
    KStream* stream = nullptr;
    JOCTET buffer[kSourceBufferSize];
};

Decoder& DecoderOf(j_common_ptr info) {
    return *static_cast<Decoder*>(info->client_data);
}

void ExitToLoader(j_common_ptr info) {
    std::longjmp(DecoderOf(info).failed, 1);
}

// Warnings of damaged data are not worth a message: the load fails or not.
void DropMessage(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        ERREXIT(info, JERR_NOTIMPL);
}

void InitSource(j_decompress_ptr) {}

// Bytes the stream still had, or 0 at its end.
size_t ReadSome(KStream& stream, JOCTET* buffer) {
    try {
        stream.Read(buffer, kSourceBufferSize);
        return kSourceBufferSize;
    } catch (const KXStream& e) {
        return e.Transferred() > 0 ? size_t(e.Transferred()) : 0;
    } catch (const KX&) {
        return 0;
    }
}

boolean FillInput(j_decompress_ptr info) {
    Decoder& decoder = DecoderOf(reinterpret_cast<j_common_ptr>(info));
    const size_t n = ReadSome(*decoder.stream, decoder.buffer);
    // Needing bytes the file does not have is an error, not a guessed end.
    if (n == 0) ERREXIT(info, JERR_INPUT_EOF);
    info->src->next_input_byte = decoder.buffer;
    info->src->bytes_in_buffer = n;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > long(source.bytes_in_buffer)) {
        count -= long(source.bytes_in_buffer);
        FillInput(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= size_t(count);
    }
}

void TermSource(j_decompress_ptr) {}

void SetUp(Decoder& decoder, KStream& stream) {
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = ExitToLoader;
    decoder.errors.output_message = DropMessage;
    decoder.info.client_data = &decoder;
    decoder.stream = &stream;
    decoder.source.init_source = InitSource;
    decoder.source.fill_input_buffer = FillInput;
    decoder.source.skip_input_data = SkipInput;
    decoder.source.resync_to_restart = jpeg_resync_to_restart;
    decoder.source.term_source = TermSource;
    decoder.progress.progress_monitor = LimitScans;
}

// One ink of an inverted (Adobe) CMYK pixel times its black, rounded.
uint32_t Ink(uint32_t ink, uint32_t black) {
    return (2 * ink * black + 255) / 510;
}

// A decoded pixel as 0x00RRGGBB: B, G, R from 3 bytes, inverted CMYK from 4.
uint32_t ScratchPixel(const JSAMPLE* p, int32_t components) {
    if (components == 3) return p[2] << 16 | p[1] << 8 | p[0];
    return Ink(p[0], p[3]) << 16 | Ink(p[1], p[3]) << 8 | Ink(p[2], p[3]);
}

// The frame's rows, straight when the decoder delivers the frame's own
// layout, else through a scratch row converted pixel by pixel.
void DecodeRows(jpeg_decompress_struct& info, KBitmap& frame, JSAMPLE* scratch) {
    const int32_t components = info.output_components;
    while (info.output_scanline < info.output_height) {
        const int32_t y = int32_t(info.output_scanline);
        JSAMPROW row = scratch ? scratch : frame.Row(y);
        jpeg_read_scanlines(&info, &row, 1);
        if (!scratch) continue;
        uint8_t* out = frame.Row(y);
        for (int32_t x = 0; x < frame.Width(); ++x, out += frame.BytesPerPixel())
            frame.EncodePixel(ScratchPixel(scratch + x * components, components), out);
    }
}

// A side scaled by n eighths, as the library rounds it.
int64_t Scaled(JDIMENSION side, int32_t n) {
    return (int64_t{side} * n + 7) / 8;
}

// The fewest eighths that keep the size asked for: the decoder then does
// a fraction of the work and memory of the whole picture.
int32_t ScaleInEighths(const jpeg_decompress_struct& info, const KBitmaps::ReadOptions& options) {
    const int64_t width = std::min<int64_t>(options.minWidth, info.image_width);
    const int64_t height = std::min<int64_t>(options.minHeight, info.image_height);
    if (options.minWidth <= 0 || options.minHeight <= 0) return 8;
    int32_t n = 1;
    while (n < 8 && (Scaled(info.image_width, n) < width || Scaled(info.image_height, n) < height))
        ++n;
    return n;
}

// The decoding steps. Returns 0 or the error code; a failing library call
// jumps back to the setjmp here, which only plain locals cross.
int32_t Decode(Decoder& decoder, KBitmaps& frames, std::unique_ptr<JSAMPLE[]>& scratch) {
    jpeg_decompress_struct& info = decoder.info;
    if (setjmp(decoder.failed)) return kErrFileRead;
    jpeg_create_decompress(&info);
    info.src = &decoder.source;
    info.progress = &decoder.progress;
    // The library's own working memory stays under the frames' cap; more is a
    // decoder error rather than an exhausted system.
    info.mem->max_memory_to_use = kMaxFramesBytes;
    jpeg_read_header(&info, TRUE);
    if (info.image_width > uint32_t(kMaxImageSide) || info.image_height > uint32_t(kMaxImageSide))
        return kErrFileContents;
    frames.SetNaturalSize(int32_t(info.image_width), int32_t(info.image_height));
    info.scale_num = ScaleInEighths(info, frames.Options());
    info.scale_denom = 8;
    const bool grey = frames.Format() & KBitmap::kGrey8;
    // The library gives CMYK pictures only as CMYK; they are converted here,
    // as the reference decoder converts them.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    // The decoder may not use exceptions; AddFrame's failure comes back as a code.
    KBitmap* frame = nullptr;
    try {
        frame = &frames.AddFrame(int32_t(info.output_width), int32_t(info.output_height));
    } catch (const KX& e) {
        return e.Code();
    }
    if (cmyk || (!grey && frame->Depth() != 24)) {
        scratch.reset(new (std::nothrow) JSAMPLE[size_t(info.output_width) * 4]);
        if (!scratch) return kErrNoMemory;
    }
    DecodeRows(info, *frame, scratch.get());
    jpeg_finish_decompress(&info);
    return 0;
}

}  // namespace

void KJpegReader::Read(KStream& stream, KBitmaps& frames) {
    std::unique_ptr<Decoder> decoder(new (std::nothrow) Decoder);
    if (!decoder) throw KX(kErrNoMemory);
    SetUp(*decoder, stream);
    std::unique_ptr<JSAMPLE[]> scratch;
    const int32_t code = Decode(*decoder, frames, scratch);
    jpeg_destroy_decompress(&decoder->info);
    if (code != 0) throw KX(code);
}
