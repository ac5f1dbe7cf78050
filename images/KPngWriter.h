#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Writes 8-bit RGB PNG files through libpng. It knows no picture class: the
// caller fills each row, so any pixel store can be written with it.
class KPngWriter {
  public:
    // Fills row y (3 × width bytes: R, G, B per pixel).
    using RowFiller = std::function<void(int32_t y, uint8_t* rgb)>;

    // Writes a width × height picture to path, replacing the file. False when
    // the size is empty or the file cannot be written (a partial file is removed).
    static bool Write(const std::string& path, int32_t width, int32_t height,
                      const RowFiller& fillRow);
};
