#pragma once

#include <cstdint>
#include <string>

// Writes 0x00RRGGBB pixels (rows top-down, `width` per row) as an 8-bit RGB
// PNG file; false when the file cannot be written.
bool WriteRgbPng(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);
