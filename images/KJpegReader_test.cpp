#include "KJpegReader.h"

#include <gtest/gtest.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "ImagesTestSupport.h"
#include "KBitmaps.h"
#include "KBufferedFile.h"
#include "KImageLimits.h"
#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KX.h"

namespace {

enum class Kind { kBaseline, kProgressive, kGrey, kCmyk, kManyScans };

// Writes a width × height JPEG of a colour pattern with libjpeg.
void WriteJpeg(const std::string& path, int width, int height, Kind kind) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = kind == Kind::kGrey ? 1 : kind == Kind::kCmyk ? 4 : 3;
    info.in_color_space = kind == Kind::kGrey   ? JCS_GRAYSCALE
                          : kind == Kind::kCmyk ? JCS_CMYK
                                                : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    if (kind == Kind::kProgressive) jpeg_simple_progression(&info);
    // A DC scan, then each coefficient of each component sent bit by bit
    // from bit 9 down: 1 + 3 × 63 × 10 scans, more than any encoder writes.
    std::vector<jpeg_scan_info> scans{{3, {0, 1, 2}, 0, 0, 0, 0}};
    for (int component = 0; kind == Kind::kManyScans && component < 3; ++component) {
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {component}, k, k, 0, 9});
            for (int al = 8; al >= 0; --al) scans.push_back({1, {component}, k, k, al + 1, al});
        }
    }
    if (kind == Kind::kManyScans) info.scan_info = scans.data(), info.num_scans = int(scans.size());
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * info.input_components);
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = JSAMPLE((i * 7 + y * 3 + (i % 3) * 80) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

void ReadJpeg(const std::string& path, KBitmaps& frames) {
    KBufferedFile file(KTestText(path));
    file.Open(KFile::kRead, false);
    frames.ReadFrames(file);
}

int32_t JpegError(const std::string& bytes) {
    KMemoryStream stream(bytes);
    KBitmaps frames;
    try {
        frames.ReadFrames(stream, KImageType::kJpeg);
    } catch (const KX& e) {
        EXPECT_EQ(frames.Count(), 0);
        return e.Code();
    }
    return 0;
}

class KJpegReaderTest : public ::testing::Test {
  protected:
    std::string Make(const std::string& name, int width, int height, Kind kind) {
        WriteJpeg(folder.Path(name), width, height, kind);
        return folder.Path(name);
    }
    // The reference decoder's pixels for the file.
    TestPicture Reference(const std::string& path) {
        const std::string out = path + ".pnm";
        EXPECT_TRUE(RunCommand("djpeg -pnm '" + path + "' > '" + out + "'"));
        return ReadPnm(out);
    }
    KTestFolder folder;
};

TEST_F(KJpegReaderTest, SamePixelsAsTheReferenceDecoder) {
    for (Kind kind : {Kind::kBaseline, Kind::kProgressive, Kind::kGrey}) {
        const std::string path = Make("picture.JPEG", 67, 35, kind);
        const TestPicture reference = Reference(path);
        ASSERT_EQ(reference.width, 67);
        KBitmaps frames;
        ReadJpeg(path, frames);
        ASSERT_EQ(frames.Count(), 1);
        const KBitmap& bitmap = *frames.Frame(0);
        ASSERT_EQ(bitmap.Width(), 67);
        ASSERT_EQ(bitmap.Height(), 35);
        int wrong = 0;
        for (int y = 0; y < 35; ++y)
            for (int x = 0; x < 67; ++x) wrong += bitmap.GetPixel(x, y) != reference.At(x, y);
        EXPECT_EQ(wrong, 0) << int(kind);
    }
}

TEST_F(KJpegReaderTest, RowsArriveBlueGreenRed) {
    const std::string path = Make("red.jpg", 16, 8, Kind::kBaseline);
    const TestPicture reference = Reference(path);
    KBitmaps frames;
    ReadJpeg(path, frames);
    const uint8_t* row = frames.Frame(0)->Row(3);
    const uint32_t expected = reference.At(5, 3);
    EXPECT_EQ(row[15], expected & 0xFF);
    EXPECT_EQ(row[16], (expected >> 8) & 0xFF);
    EXPECT_EQ(row[17], expected >> 16);
}

TEST_F(KJpegReaderTest, OtherListFormats) {
    const std::string path = Make("grey.jpg", 20, 10, Kind::kGrey);
    const TestPicture reference = Reference(path);
    KBitmaps grey(KBitmap::kGrey8 | KBitmap::kAlign4);
    ReadJpeg(path, grey);
    EXPECT_EQ(grey.Frame(0)->Row(2)[7], reference.At(7, 2) & 0xFF);
    const std::string colour = Make("colour.jpg", 20, 10, Kind::kBaseline);
    const TestPicture colourReference = Reference(colour);
    KBitmaps wide(KBitmap::kBufferFormat);
    ReadJpeg(colour, wide);
    EXPECT_EQ(wide.Frame(0)->GetPixel(13, 9), colourReference.At(13, 9));
    EXPECT_EQ(wide.Frame(0)->Row(9)[13 * 4 + 3], 0);
}

TEST_F(KJpegReaderTest, BrokenFilesFailWith3004) {
    const std::string path = Make("whole.jpg", 40, 40, Kind::kBaseline);
    const std::string whole = folder.Get("whole.jpg");
    EXPECT_EQ(JpegError(whole), 0);
    EXPECT_EQ(JpegError(whole.substr(0, whole.size() / 2)), kErrFileRead);
    EXPECT_EQ(JpegError(whole.substr(0, 100)), kErrFileRead);
    EXPECT_EQ(JpegError(""), kErrFileRead);
    EXPECT_EQ(JpegError("not a picture at all"), kErrFileRead);
    std::string damaged = whole;
    for (size_t i = damaged.size() / 2; i < damaged.size() - 2; i += 7) damaged[i] = '\xFF';
    const int32_t code = JpegError(damaged);
    EXPECT_TRUE(code == 0 || code == kErrFileRead) << code;
}

TEST_F(KJpegReaderTest, CmykAsTheReferenceConvertsIt) {
    const std::string path = Make("cmyk.jpg", 24, 16, Kind::kCmyk);
    const TestPicture reference = Reference(path);
    KBitmaps frames;
    ReadJpeg(path, frames);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) wrong += frames.Frame(0)->GetPixel(x, y) != reference.At(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(KJpegReaderTest, EndlessScansAreRefused) {
    const std::string path = Make("scans.jpg", 16, 16, Kind::kManyScans);
    const TestPicture reference = Reference(path);
    ASSERT_EQ(reference.width, 16);  // the file is good, only too slow to allow
    EXPECT_EQ(JpegError(folder.Get("scans.jpg")), kErrFileRead);
}

TEST_F(KJpegReaderTest, ClaimedSizeAboveTheCapIsRefused) {
    Make("small.jpg", 8, 8, Kind::kBaseline);
    std::string bytes = folder.Get("small.jpg");
    // The start-of-frame segment: FF C0, length, precision, height, width.
    const size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = '\x4E', bytes[sof + 6] = '\x20';  // height 20000
    EXPECT_EQ(JpegError(bytes), kErrFileContents);
}

}  // namespace
