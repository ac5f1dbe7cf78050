#pragma once

// Builders of real picture files for the tests: Targa headers, GIF streams
// assembled block by block with their code streams, PNG and PPM readers.

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// An 18-byte Targa header.
inline std::string TargaHeader(int type, int width, int height, int bits, int descriptor,
                               int idLength = 0, int mapLength = 0, int mapBits = 0) {
    const uint8_t h[18] = {uint8_t(idLength),
                           uint8_t(mapLength ? 1 : 0),
                           uint8_t(type),
                           0,
                           0,
                           uint8_t(mapLength),
                           uint8_t(mapLength >> 8),
                           uint8_t(mapBits),
                           0,
                           0,
                           0,
                           0,
                           uint8_t(width),
                           uint8_t(width >> 8),
                           uint8_t(height),
                           uint8_t(height >> 8),
                           uint8_t(bits),
                           uint8_t(descriptor)};
    return std::string(reinterpret_cast<const char*>(h), 18);
}

inline void PutWord(std::string& out, int v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

// Packs GIF codes LSB first, each as wide as a decoder expects it: the width
// follows the table the codes build (one entry per code after the first of a
// clear), growing when the next entry reaches 2^width, up to 12 bits.
inline std::string PackGifCodes(int minCodeSize, const std::vector<int>& codes) {
    const int clear = 1 << minCodeSize;
    int codeSize = minCodeSize, last = clear + 1, pending = -1;
    std::string bytes;
    uint32_t bits = 0;
    int held = 0;
    for (int code : codes) {
        const int width = codeSize + 1;
        bits |= uint32_t(code) << held;
        held += width;
        for (; held >= 8; held -= 8, bits >>= 8) bytes += char(bits & 0xFF);
        if (code == clear) {
            codeSize = minCodeSize, last = clear + 1, pending = -1;
            continue;
        }
        if (pending >= 0) last = pending;
        pending = last < 4095 ? last + 1 : -1;
        if (pending == 1 << width) ++codeSize;
    }
    if (held > 0) bytes += char(bits & 0xFF);
    return bytes;
}

// Codes that send every index on its own: a clear first and again before
// the table fills, then the end code.
inline std::vector<int> LiteralGifCodes(int minCodeSize, const std::vector<uint8_t>& indices) {
    const int clear = 1 << minCodeSize;
    std::vector<int> codes{clear};
    int sinceClear = 0;
    for (uint8_t index : indices) {
        if (++sinceClear == 4000) codes.push_back(clear), sinceClear = 1;
        codes.push_back(index);
    }
    codes.push_back(clear + 1);
    return codes;
}

// Data bytes as sub-blocks of at most 255 bytes and the terminator.
inline std::string GifSubBlocks(const std::string& data) {
    std::string out;
    for (size_t at = 0; at < data.size(); at += 255) {
        const std::string part = data.substr(at, 255);
        out += char(part.size());
        out += part;
    }
    return out + '\0';
}

// A GIF stream built block by block; Bytes() adds the trailer.
class GifBuilder {
  public:
    // A table of 2^n colours (0x00RRGGBB), padded with black; none when empty.
    GifBuilder(int width, int height, const std::vector<uint32_t>& table, int background = 0,
               const char* version = "89a") {
        bytes_ = std::string("GIF") + version;
        PutWord(bytes_, width);
        PutWord(bytes_, height);
        bytes_ += char(table.empty() ? 0 : 0x80 | TableBits(table));
        bytes_ += char(background);
        bytes_ += '\0';
        PutTable(table);
    }
    GifBuilder& Loop(int count) {
        bytes_ += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        PutWord(bytes_, count);
        bytes_ += '\0';
        return *this;
    }
    // A graphic control: disposal method, delay in hundredths, transparent index or -1.
    GifBuilder& Control(int disposal, int delay, int transparent = -1) {
        bytes_ += "\x21\xF9\x04";
        bytes_ += char(disposal << 2 | (transparent >= 0 ? 1 : 0));
        PutWord(bytes_, delay);
        bytes_ += char(transparent >= 0 ? transparent : 0);
        bytes_ += '\0';
        return *this;
    }
    // An image of indices in row order, each sent as a literal code.
    GifBuilder& Image(int left, int top, int width, int height, const std::vector<uint8_t>& indices,
                      bool interlaced = false, const std::vector<uint32_t>& table = {}) {
        std::vector<uint8_t> sent = interlaced ? Interlace(indices, width, height) : indices;
        return ImageCodes(left, top, width, height, 8, LiteralGifCodes(8, sent), interlaced, table);
    }
    // An image given by its code stream.
    GifBuilder& ImageCodes(int left, int top, int width, int height, int minCodeSize,
                           const std::vector<int>& codes, bool interlaced = false,
                           const std::vector<uint32_t>& table = {}) {
        bytes_ += ',';
        PutWord(bytes_, left);
        PutWord(bytes_, top);
        PutWord(bytes_, width);
        PutWord(bytes_, height);
        bytes_ += char((table.empty() ? 0 : 0x80 | TableBits(table)) | (interlaced ? 0x40 : 0));
        PutTable(table);
        bytes_ += char(minCodeSize);
        bytes_ += GifSubBlocks(PackGifCodes(minCodeSize, codes));
        return *this;
    }
    GifBuilder& Raw(const std::string& bytes) {
        bytes_ += bytes;
        return *this;
    }
    std::string Bytes() const { return bytes_ + ';'; }

  private:
    static int TableBits(const std::vector<uint32_t>& table) {
        int bits = 0;
        while ((2u << bits) < table.size()) ++bits;
        return bits;
    }
    void PutTable(const std::vector<uint32_t>& table) {
        if (table.empty()) return;
        const size_t entries = 2u << TableBits(table);
        for (size_t i = 0; i < entries; ++i) {
            const uint32_t c = i < table.size() ? table[i] : 0;
            bytes_ += char(c >> 16), bytes_ += char(c >> 8), bytes_ += char(c);
        }
    }
    // Rows in the order an interlaced image sends them.
    static std::vector<uint8_t> Interlace(const std::vector<uint8_t>& rows, int width, int height) {
        std::vector<uint8_t> out;
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < height; y += step[pass])
                out.insert(out.end(), rows.begin() + y * width, rows.begin() + (y + 1) * width);
        return out;
    }
    std::string bytes_;
};

// A picture read back from a file as 0x00RRGGBB pixels; empty on failure.
struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline TestPicture ReadPng(const std::string& path) {
    TestPicture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
    picture.width = int(image.width), picture.height = int(image.height);
    for (size_t i = 0; i < rgb.size(); i += 3)
        picture.pixels.push_back(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    return picture;
}

// A binary PPM (P6) or PGM (P5) file with maximum value 255.
inline TestPicture ReadPnm(const std::string& path) {
    TestPicture picture;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> picture.width >> picture.height >> max;
    in.get();
    const int channels = magic == "P6" ? 3 : 1;
    std::vector<uint8_t> bytes(size_t(picture.width) * picture.height * channels);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) return {};
    for (size_t i = 0; i < bytes.size(); i += channels) {
        const uint8_t* p = &bytes[i];
        picture.pixels.push_back(channels == 3 ? p[0] << 16 | p[1] << 8 | p[2] : p[0] * 0x010101u);
    }
    return picture;
}

// Runs a shell command; true when it exits 0.
inline bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}
