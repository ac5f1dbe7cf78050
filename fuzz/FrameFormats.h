#pragma once

#include <cstdint>

#include "KBitmap.h"

// The frame formats the image fuzz targets choose from by two bits of input:
// loaded images, the 32-bit buffer, 16-bit words and grey levels.
constexpr int32_t kFuzzFrameFormats[4] = {KBitmap::kImageFormat, KBitmap::kBufferFormat,
                                          KBitmap::kDepth16 | KBitmap::kAlign2,
                                          KBitmap::kGrey8 | KBitmap::kAlign4};
