#include "KPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// Writes the rows into an open file; libpng's failures jump back here. Only
// objects made before setjmp live across a jump.
bool WriteRows(FILE* file, int32_t width, int32_t height, const KPngWriter::RowFiller& fillRow,
               std::vector<uint8_t>& row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        fillRow(y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool KPngWriter::Write(const std::string& path, int32_t width, int32_t height,
                       const RowFiller& fillRow) {
    if (width < 1 || height < 1) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::vector<uint8_t> row(size_t(width) * 3);
    const bool written = WriteRows(file, width, height, fillRow, row);
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}
