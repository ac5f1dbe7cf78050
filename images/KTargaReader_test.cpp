#include "KTargaReader.h"

#include <gtest/gtest.h>

#include "ImagesTestSupport.h"
#include "KBitmaps.h"
#include "KImageLimits.h"
#include "KMemoryStream.h"
#include "KX.h"

namespace {

// A 3 × 2 picture, top row first.
const uint32_t kPicture[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x8040C8}};

uint16_t Word555(uint32_t rgb) {
    return uint16_t(((rgb >> 19) & 0x1F) << 10 | ((rgb >> 11) & 0x1F) << 5 | ((rgb >> 3) & 0x1F));
}

std::string FilePixel(uint32_t rgb, int bits) {
    std::string p;
    if (bits <= 16) {
        PutWord(p, Word555(rgb));
    } else {
        p += char(rgb), p += char(rgb >> 8), p += char(rgb >> 16);
        if (bits == 32) p += '\x7F';  // the fourth byte means nothing here
    }
    return p;
}

// kPicture as a Targa file of this depth and descriptor.
std::string PictureFile(int bits, int descriptor) {
    std::string file = TargaHeader(2, 3, 2, bits, descriptor);
    for (int i = 0; i < 2; ++i) {
        const int y = descriptor & 0x20 ? i : 1 - i;
        for (int j = 0; j < 3; ++j)
            file += FilePixel(kPicture[y][descriptor & 0x10 ? 2 - j : j], bits);
    }
    return file;
}

void ReadTarga(const std::string& bytes, KBitmaps& frames) {
    KMemoryStream stream(bytes);
    frames.ReadFrames(stream, KImageType::kTarga);
}

int32_t TargaError(const std::string& bytes) {
    KBitmaps frames;
    try {
        ReadTarga(bytes, frames);
    } catch (const KX& e) {
        EXPECT_EQ(frames.Count(), 0);
        return e.Code();
    }
    return 0;
}

TEST(KTargaReader, EveryDepthAndOrientation) {
    for (int bits : {15, 16, 24, 32}) {
        for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
            KBitmaps frames;
            ReadTarga(PictureFile(bits, descriptor), frames);
            ASSERT_EQ(frames.Count(), 1);
            const KBitmap& bitmap = *frames.Frame(0);
            ASSERT_EQ(bitmap.Width(), 3);
            ASSERT_EQ(bitmap.Height(), 2);
            EXPECT_EQ(bitmap.Format(), KBitmap::kImageFormat);
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 3; ++x) {
                    uint32_t expected = kPicture[y][x];
                    // 0x80, 0x40, 0xC8 keep their top five bits and repeat them below.
                    if (bits <= 16 && expected == 0x8040C8) expected = 0x8442CE;
                    EXPECT_EQ(bitmap.GetPixel(x, y), expected)
                        << bits << " bits, descriptor " << descriptor << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(KTargaReader, SixteenBitExtremes) {
    std::string file = TargaHeader(2, 2, 1, 16, 0x20);
    PutWord(file, 0x7FFF);
    PutWord(file, 0x0000);
    KBitmaps frames;
    ReadTarga(file, frames);
    EXPECT_EQ(frames.Frame(0)->GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(frames.Frame(0)->GetPixel(1, 0), 0x000000u);
}

TEST(KTargaReader, SkipsIdentificationAndColourMap) {
    // 5 identification bytes and a colour map of 2 entries of 24 bits.
    std::string file = TargaHeader(2, 1, 1, 24, 0, 5, 2, 24) + "ident" + std::string(6, '\x55');
    file += FilePixel(0x336699, 24);
    KBitmaps frames;
    ReadTarga(file, frames);
    EXPECT_EQ(frames.Frame(0)->GetPixel(0, 0), 0x336699u);
}

TEST(KTargaReader, StoresInTheListsFormat) {
    KBitmaps frames(KBitmap::kBufferFormat);
    ReadTarga(PictureFile(24, 0), frames);
    EXPECT_EQ(frames.Frame(0)->Format(), KBitmap::kBufferFormat);
    EXPECT_EQ(frames.Frame(0)->GetPixel(2, 1), 0x8040C8u);
    KBitmaps grey(KBitmap::kGrey8 | KBitmap::kAlign4);
    ReadTarga(PictureFile(32, 0x20), grey);
    EXPECT_EQ(grey.Frame(0)->GetPixel(0, 0), 0x555555u);  // 255 / 3
}

TEST(KTargaReader, RefusesWhatItCannotRead) {
    const std::string pixels = PictureFile(24, 0).substr(18);
    EXPECT_EQ(TargaError(TargaHeader(10, 3, 2, 24, 0) + pixels), kErrFileVersion);  // run-length
    EXPECT_EQ(TargaError(TargaHeader(1, 3, 2, 8, 0) + pixels), kErrFileVersion);    // colour-mapped
    EXPECT_EQ(TargaError(TargaHeader(2, 3, 2, 8, 0) + pixels), kErrFileVersion);
    EXPECT_EQ(TargaError(TargaHeader(2, 3, 2, 24, 0) + pixels.substr(0, 10)), kErrFileRead);
    EXPECT_EQ(TargaError(TargaHeader(2, 3, 2, 24, 0).substr(0, 17)), kErrFileRead);
    // Claimed sizes are refused before any memory is taken.
    EXPECT_EQ(TargaError(TargaHeader(2, 65535, 65535, 32, 0)), kErrFileContents);
    EXPECT_EQ(TargaError(TargaHeader(2, 16385, 1, 24, 0)), kErrFileContents);
    EXPECT_EQ(TargaError(TargaHeader(2, 16384, 16384, 24, 0)), kErrNoMemory);  // 768 MiB
}

}  // namespace
