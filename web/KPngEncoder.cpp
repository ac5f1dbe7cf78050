#include "KPngEncoder.h"

#include <png.h>

#include <csetjmp>

#include "KColorTable.h"

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// The sides above which a picture is not encoded: larger than any board.
constexpr int32_t kMaxSide = 16384;

}  // namespace

bool KPngEncoder::Encode(const uint32_t* pixels, int32_t width, int32_t height, size_t pitch,
                         bool transparent, std::vector<uint8_t>& out) {
    out.clear();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    row_.resize(static_cast<size_t>(width) * 4);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* from = pixels + static_cast<size_t>(y) * pitch;
        uint8_t* to = row_.data();
        for (int32_t x = 0; x < width; ++x, to += 4) {
            const uint32_t p = from[x];
            const bool clear = p == kTransparentPixel;
            to[0] = clear ? 0 : p >> 16 & 0xFF;
            to[1] = clear ? 0 : p >> 8 & 0xFF;
            to[2] = clear ? 0 : p & 0xFF;
            to[3] = clear && transparent ? 0 : 0xFF;
        }
        png_write_row(png, row_.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
