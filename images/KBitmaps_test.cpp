#include "KBitmaps.h"

#include <gtest/gtest.h>

#include "ImagesTestSupport.h"
#include "KBufferedFile.h"
#include "KImageLimits.h"
#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KX.h"

namespace {

TEST(KBitmaps, TypeByTheTextAfterTheLastDot) {
    EXPECT_EQ(KImageTypeOf(u"logo.JPEG"), KImageType::kJpeg);
    EXPECT_EQ(KImageTypeOf(u"logo.jpg"), KImageType::kJpeg);
    EXPECT_EQ(KImageTypeOf(u"logo.Jp"), KImageType::kJpeg);
    EXPECT_EQ(KImageTypeOf(u"logo.GIF"), KImageType::kGif);
    EXPECT_EQ(KImageTypeOf(u"logo.gifs"), KImageType::kTarga);
    EXPECT_EQ(KImageTypeOf(u"logo.tga"), KImageType::kTarga);
    EXPECT_EQ(KImageTypeOf(u"logo"), KImageType::kTarga);
    EXPECT_EQ(KImageTypeOf(u"pictures.gif/logo"), KImageType::kTarga);
    EXPECT_EQ(KImageTypeOf(u"logo.gif.tga"), KImageType::kTarga);
    EXPECT_EQ(KImageTypeOf(u"/a/logo.tga.jpeg"), KImageType::kJpeg);
}

class KBitmapsFiles : public ::testing::Test {
  protected:
    // Reads a file of the folder as a bitmap object does; the error code or 0.
    int32_t Load(const std::string& name, KBitmaps& frames) {
        KBufferedFile file(KTestText(folder.Path(name)));
        file.Open(KFile::kRead, false);
        try {
            frames.ReadFrames(file);
        } catch (const KX& e) {
            return e.Code();
        }
        return 0;
    }
    KTestFolder folder;
};

TEST_F(KBitmapsFiles, EachTypeByItsName) {
    std::string targa = TargaHeader(2, 2, 1, 24, 0x20) + std::string("\x00\x00\xFF\xFF\x00\x00", 6);
    const std::string gif =
        GifBuilder(2, 1, {0x000000, 0x00FF00}).Image(0, 0, 2, 1, {1, 0}).Bytes();
    folder.Put("logo", targa);
    folder.Put("logo.tga", targa);
    folder.Put("logo.GIF", gif);
    folder.Put("targa.gif", targa);
    folder.Put("gif.tga", gif);
    ASSERT_TRUE(RunCommand("convert -size 4x2 xc:red '" + folder.Path("logo.JPEG") + "'"));
    KBitmaps frames;
    for (const char* name : {"logo", "logo.tga"}) {
        ASSERT_EQ(Load(name, frames), 0) << name;
        EXPECT_EQ(frames.Frame(0)->GetPixel(1, 0), 0x0000FFu) << name;
    }
    ASSERT_EQ(Load("logo.GIF", frames), 0);
    EXPECT_EQ(frames.Frame(0)->GetPixel(0, 0), 0x00FF00u);
    ASSERT_EQ(Load("logo.JPEG", frames), 0);
    EXPECT_EQ(frames.Width(), 4);
    EXPECT_GT(frames.Frame(0)->GetPixel(0, 0) >> 16, 0xF0u);
    EXPECT_EQ(Load("targa.gif", frames), kErrFileContents);
    EXPECT_EQ(frames.Count(), 0);
    EXPECT_EQ(Load("gif.tga", frames), kErrFileVersion);
    // A stream that is no file is read as a Targa.
    KMemoryStream memory(targa);
    frames.ReadFrames(memory);
    EXPECT_EQ(frames.Count(), 1);
}

TEST(KBitmaps, ScaledFramesKeepTheLoopCount) {
    KBitmaps frames;
    frames.SetLoopCount(2);
    for (uint32_t colour : {0xFF0000u, 0x00FF00u}) {
        KBitmap& frame = frames.AddFrame(3, 1);
        frame.Fill(colour);
        frame.SetDelay(40);
    }
    auto scaled = frames.ScaledFrames(6, 2);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->LoopCount(), 2);
    ASSERT_EQ(scaled->Count(), 2);
    EXPECT_EQ(scaled->Width(), 6);
    EXPECT_EQ(scaled->Frame(1)->GetPixel(5, 1), 0x00FF00u);
    EXPECT_EQ(scaled->Frame(1)->Delay(), 40);
    EXPECT_FALSE(frames.ScaledFrames(0, 1));
    // Twenty frames of 16384 × 1000 would pass the cap together, though each fits.
    EXPECT_FALSE(frames.ScaledFrames(16384, 16384));
}

TEST(KBitmaps, FramesShareOneMemoryCap) {
    KBitmaps frames;
    frames.AddFrame(8192, 8192);  // 192 MiB
    frames.AddFrame(8192, 8192);
    EXPECT_THROW(frames.AddFrame(8192, 8192), KX);
    EXPECT_EQ(frames.Count(), 2);
}

}  // namespace
