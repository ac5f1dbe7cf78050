#include "GIFInfo.h"

#include <gtest/gtest.h>

#include "ImagesTestSupport.h"
#include "KBitmaps.h"
#include "KBufferedFile.h"
#include "KImageLimits.h"
#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KX.h"

namespace {

using namespace std::string_literals;

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF,
                   kWhite = 0xFFFFFF, kGrey = 0x808080;
const std::vector<uint32_t> kTable = {kBlack, kRed, kGreen, kBlue, kWhite, kGrey};
enum : uint8_t { B, R, G, U, W, Y };  // indices into kTable (U blue, Y grey)

void Decode(const std::string& bytes, KBitmaps& frames, bool useBackground = false) {
    KMemoryStream stream(bytes);
    frames.SetGifUseBackground(useBackground);
    frames.ReadFrames(stream, KImageType::kGif);
}

int32_t GifError(const std::string& bytes) {
    KBitmaps frames;
    try {
        Decode(bytes, frames);
    } catch (const KX& e) {
        EXPECT_EQ(frames.Count(), 0);
        return e.Code();
    }
    return 0;
}

// The frame's pixels, row by row.
std::vector<uint32_t> Pixels(const KBitmap& frame) {
    std::vector<uint32_t> out;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) out.push_back(frame.GetPixel(x, y));
    return out;
}

std::vector<uint8_t> Solid(int count, uint8_t index) {
    return std::vector<uint8_t>(count, index);
}

TEST(GIFInfo, ImagesWithoutDelayMergeIntoOneFrame) {
    // No graphic control at all, then a zero delay: all three images land in frame 0.
    const std::string gif = GifBuilder(4, 2, kTable)
                                .Image(0, 0, 4, 2, Solid(8, R))
                                .Image(1, 0, 2, 1, Solid(2, G))
                                .Control(0, 0)
                                .Image(3, 1, 1, 1, Solid(1, U))
                                .Bytes();
    KBitmaps frames;
    Decode(gif, frames);
    ASSERT_EQ(frames.Count(), 1);
    EXPECT_EQ(frames.Frame(0)->Delay(), 0);
    EXPECT_EQ(Pixels(*frames.Frame(0)),
              (std::vector<uint32_t>{kRed, kGreen, kGreen, kRed, kRed, kRed, kRed, kBlue}));
    EXPECT_EQ(frames.LoopCount(), -1);
    EXPECT_EQ(frames.Width(), 4);
}

TEST(GIFInfo, EachDelayedImageStartsFromThePreviousFrame) {
    const std::string gif = GifBuilder(3, 1, kTable)
                                .Control(0, 5)
                                .Image(0, 0, 3, 1, Solid(3, R))
                                .Control(0, 12)
                                .Image(2, 0, 1, 1, Solid(1, G))
                                .Image(0, 0, 1, 1, Solid(1, U))  // no control, a new frame
                                .Bytes();
    KBitmaps frames;
    Decode(gif, frames);
    ASSERT_EQ(frames.Count(), 3);
    EXPECT_EQ(frames.Frame(0)->Delay(), 50);
    EXPECT_EQ(frames.Frame(1)->Delay(), 120);
    EXPECT_EQ(frames.Frame(2)->Delay(), -1);
    EXPECT_EQ(Pixels(*frames.Frame(0)), (std::vector<uint32_t>{kRed, kRed, kRed}));
    EXPECT_EQ(Pixels(*frames.Frame(1)), (std::vector<uint32_t>{kRed, kRed, kGreen}));
    EXPECT_EQ(Pixels(*frames.Frame(2)), (std::vector<uint32_t>{kBlue, kRed, kGreen}));
}

TEST(GIFInfo, LoopCounts) {
    for (auto [written, expected] : {std::pair{2, 2}, {0, 0}, {65535, 0}, {1, 1}}) {
        KBitmaps frames;
        Decode(GifBuilder(1, 1, kTable).Loop(written).Image(0, 0, 1, 1, Solid(1, R)).Bytes(),
               frames);
        EXPECT_EQ(frames.LoopCount(), expected) << written;
    }
    // Another application's extension is skipped whole.
    KBitmaps frames;
    Decode(GifBuilder(1, 1, kTable)
               .Raw("\x21\xFF\x0BXMP DataXMP\x03\x01\x02\x00\x00"s)
               .Image(0, 0, 1, 1, Solid(1, R))
               .Bytes(),
           frames);
    EXPECT_EQ(frames.LoopCount(), -1);
    EXPECT_EQ(frames.Count(), 1);
}

TEST(GIFInfo, DisposalToBackground) {
    // Background index 4 (white) of the global table.
    const std::string gif = GifBuilder(3, 1, kTable, W)
                                .Control(0, 10)
                                .Image(0, 0, 3, 1, Solid(3, R))
                                .Control(2, 10)
                                .Image(1, 0, 2, 1, Solid(2, G))
                                .Control(0, 10)
                                .Image(0, 0, 1, 1, Solid(1, U))
                                .Bytes();
    for (bool useBackground : {false, true}) {
        const uint32_t cleared = useBackground ? kWhite : kBlack;
        KBitmaps frames;
        Decode(gif, frames, useBackground);
        ASSERT_EQ(frames.Count(), 3);
        EXPECT_EQ(Pixels(*frames.Frame(1)), (std::vector<uint32_t>{kRed, kGreen, kGreen}));
        EXPECT_EQ(Pixels(*frames.Frame(2)), (std::vector<uint32_t>{kBlue, cleared, cleared}))
            << useBackground;
    }
}

TEST(GIFInfo, FirstFrameStartsWithTheBackground) {
    const std::string gif =
        GifBuilder(2, 1, kTable, Y).Control(0, 10).Image(0, 0, 1, 1, Solid(1, R)).Bytes();
    KBitmaps black, grey;
    Decode(gif, black, false);
    Decode(gif, grey, true);
    EXPECT_EQ(Pixels(*black.Frame(0)), (std::vector<uint32_t>{kRed, kBlack}));
    EXPECT_EQ(Pixels(*grey.Frame(0)), (std::vector<uint32_t>{kRed, kGrey}));
}

TEST(GIFInfo, DisposalToPrevious) {
    // Image 2 is drawn over image 1 and then taken back: frame 3 sees image 1 again.
    const std::string gif = GifBuilder(3, 1, kTable)
                                .Control(0, 10)
                                .Image(0, 0, 3, 1, {R, G, U})
                                .Control(3, 10)
                                .Image(0, 0, 2, 1, Solid(2, W))
                                .Control(0, 10)
                                .Image(2, 0, 1, 1, Solid(1, Y))
                                .Bytes();
    KBitmaps frames;
    Decode(gif, frames);
    ASSERT_EQ(frames.Count(), 3);
    EXPECT_EQ(Pixels(*frames.Frame(1)), (std::vector<uint32_t>{kWhite, kWhite, kBlue}));
    EXPECT_EQ(Pixels(*frames.Frame(2)), (std::vector<uint32_t>{kRed, kGreen, kGrey}));
}

TEST(GIFInfo, TransparentPixelsKeepTheEarlierFrame) {
    const std::string gif = GifBuilder(4, 1, kTable)
                                .Control(0, 10)
                                .Image(0, 0, 4, 1, {R, G, U, W})
                                .Control(1, 10, B)
                                .Image(0, 0, 4, 1, {Y, B, B, Y})
                                .Control(0, 10)  // the index is for one image only
                                .Image(1, 0, 1, 1, {B})
                                .Bytes();
    KBitmaps frames;
    Decode(gif, frames);
    ASSERT_EQ(frames.Count(), 3);
    EXPECT_EQ(Pixels(*frames.Frame(1)), (std::vector<uint32_t>{kGrey, kGreen, kBlue, kGrey}));
    EXPECT_EQ(Pixels(*frames.Frame(2)), (std::vector<uint32_t>{kGrey, kBlack, kBlue, kGrey}));
}

TEST(GIFInfo, InterlacedRowsAndLocalTables) {
    // Ten rows of one pixel, row y holding index y % 6 of a local table in reverse.
    std::vector<uint8_t> rows;
    for (int y = 0; y < 10; ++y) rows.push_back(uint8_t(y % 6));
    const std::vector<uint32_t> reversed(kTable.rbegin(), kTable.rend());
    KBitmaps frames;
    Decode(GifBuilder(2, 12, kTable).Image(1, 1, 1, 10, rows, true, reversed).Bytes(), frames);
    const KBitmap& frame = *frames.Frame(0);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(frame.GetPixel(1, y + 1), reversed[y % 6]) << y;
    EXPECT_EQ(frame.GetPixel(1, 0), kBlack);
    EXPECT_EQ(frame.GetPixel(0, 5), kBlack);
}

TEST(GIFInfo, CodeStreamsWorkedThrough) {
    // Minimum code size 2: clear 4, end 5, codes of 3 bits until entry 8 is next.
    //   4 clear; 1 -> "1", entry 6 pending (prefix 1);
    //   6 names the pending entry itself: 6 = "1" + "1" = "11", entry 7 pending (prefix 6);
    //   7 again: 7 = "11" + "1" = "111"; entry 8 pending, so codes grow to 4 bits;
    //   5 end. Six pixels of index 1.
    KBitmaps frames;
    Decode(GifBuilder(3, 2, kTable).ImageCodes(0, 0, 3, 2, 2, {4, 1, 6, 7, 5}).Bytes(), frames);
    EXPECT_EQ(Pixels(*frames.Frame(0)), std::vector<uint32_t>(6, kRed));

    //   1 -> "1"; 2 -> "2", 6 = "12"; 6 -> "12", 7 = "21", 4 bits from here;
    //   3 -> "3", 8 = "123"; 4 clear: back to 3 bits; 2 -> "2"; 5 end.
    // Six pixels 1 2 1 2 3 2; an end before the last pixel leaves it as it was.
    KBitmaps mixed;
    Decode(GifBuilder(4, 2, kTable).ImageCodes(0, 0, 4, 2, 2, {4, 1, 2, 6, 3, 4, 2, 5}).Bytes(),
           mixed);
    EXPECT_EQ(Pixels(*mixed.Frame(0)),
              (std::vector<uint32_t>{kRed, kGreen, kRed, kGreen, kBlue, kGreen, kBlack, kBlack}));
}

TEST(GIFInfo, LongImagesThroughManySubBlocksAndClears) {
    std::vector<uint8_t> indices;
    for (int i = 0; i < 100 * 90; ++i) indices.push_back(uint8_t((i * 31 + i / 100) % 6));
    KBitmaps frames;
    Decode(GifBuilder(100, 90, kTable).Image(0, 0, 100, 90, indices).Bytes(), frames);
    const std::vector<uint32_t> pixels = Pixels(*frames.Frame(0));
    int wrong = 0;
    for (size_t i = 0; i < indices.size(); ++i) wrong += pixels[i] != kTable[indices[i]];
    EXPECT_EQ(wrong, 0);
}

TEST(GIFInfo, FormatErrors) {
    const GifBuilder screen(4, 4, kTable);
    EXPECT_EQ(GifError(GifBuilder(screen).Image(2, 0, 3, 1, Solid(3, R)).Bytes()),
              kErrFileContents);  // beyond the screen
    EXPECT_EQ(GifError(GifBuilder(screen).Image(0, 0, 0, 1, {}).Bytes()), kErrFileContents);
    EXPECT_EQ(GifError(GifBuilder(screen).Raw(",\0\0\0\0\1\0\1\0\0\x09"s).Bytes()),
              kErrFileContents);  // minimum code size 9
    EXPECT_EQ(GifError(GifBuilder(screen).ImageCodes(0, 0, 2, 1, 2, {4, 1, 7, 5}).Bytes()),
              kErrFileContents);  // 7 is past the pending entry 6
    EXPECT_EQ(GifError(GifBuilder(screen).ImageCodes(0, 0, 2, 1, 2, {4, 1, 1, 1, 5}).Bytes()),
              kErrFileContents);  // three pixels for two
    EXPECT_EQ(GifError(GifBuilder(screen).ImageCodes(0, 0, 2, 1, 2, {4, 1}).Bytes()),
              kErrFileContents);  // the data ends before the end code
    EXPECT_EQ(GifError(GifBuilder(screen).Raw("\x21\xF9\x05\0\0\0\0\0\0"s).Bytes()),
              kErrFileContents);  // graphic control of 5 bytes
    EXPECT_EQ(GifError(GifBuilder(0, 4, kTable).Bytes()), kErrFileContents);
    EXPECT_EQ(GifError("GIT89a" + GifBuilder(screen).Bytes().substr(6)), kErrFileContents);
    EXPECT_EQ(GifError("GIF8"), kErrFileRead);
    // The stream ends before the trailer: its own read error.
    const std::string whole = GifBuilder(screen).Image(0, 0, 4, 4, Solid(16, R)).Bytes();
    EXPECT_EQ(GifError(whole.substr(0, whole.size() - 1)), kErrFileRead);
    EXPECT_EQ(GifError(whole), 0);
}

TEST(GIFInfo, AnyVersionTextAndUnknownBlocks) {
    KBitmaps frames;
    Decode(GifBuilder(2, 1, kTable, 0, "99z")
               .Raw("\x21\xFE\x05hello\x00"s)  // a comment
               .Raw("\x21\x01\x03"
                    "abc\x00"s)  // plain text
               .Image(0, 0, 2, 1, {R, G})
               .Bytes(),
           frames);
    ASSERT_EQ(frames.Count(), 1);
    EXPECT_EQ(Pixels(*frames.Frame(0)), (std::vector<uint32_t>{kRed, kGreen}));
    KBitmaps none;
    Decode(GifBuilder(7, 5, {}).Bytes(), none);
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.Width(), 7);
    EXPECT_EQ(none.Height(), 5);
}

TEST(GIFInfo, ClaimedSizesDoNotTakeTheMemory) {
    EXPECT_EQ(GifError(GifBuilder(65535, 65535, kTable).Bytes()), kErrFileContents);
    EXPECT_EQ(GifError(GifBuilder(16385, 1, kTable).Bytes()), kErrFileContents);
    // 5000 frames of 4000 × 4000 that change one pixel each would take 240 GB.
    GifBuilder many(4000, 4000, kTable);
    for (int i = 0; i < 5000; ++i) many.Control(0, 2).Image(i % 4000, i / 4000, 1, 1, {R});
    EXPECT_EQ(GifError(many.Bytes()), kErrNoMemory);
}

// Animations made by a common tool, composed frame by frame as its own
// coalescing composes them (transparent ends black, as our background).
class WildGifs : public ::testing::Test {
  protected:
    // Makes wild.gif of six frames of 60 × 40 from the tool's arguments.
    void Compare(const std::string& arguments) {
        const std::string cd = "cd '" + folder.Path() + "' && ";
        ASSERT_TRUE(RunCommand(cd + "convert -delay 7 " + arguments + " -loop 3 wild.gif"));
        ASSERT_TRUE(RunCommand(cd + "convert wild.gif -coalesce -background black -alpha remove "
                                    "-alpha off coalesced-%03d.ppm"));
        KBufferedFile file(KTestText(folder.Path("wild.gif")));
        file.Open(KFile::kRead, false);
        KBitmaps frames;
        frames.ReadFrames(file);
        ASSERT_EQ(frames.Count(), 6);
        EXPECT_EQ(frames.LoopCount(), 2);  // the tool writes "-loop 3" as 2 repeats
        for (int i = 0; i < frames.Count(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "coalesced-%03d.ppm", i);
            const TestPicture reference = ReadPnm(folder.Path(name));
            ASSERT_EQ(reference.width, 60);
            EXPECT_EQ(frames.Frame(i)->Delay(), 70);
            EXPECT_EQ(Pixels(*frames.Frame(i)), reference.pixels) << arguments << " frame " << i;
        }
    }
    KTestFolder folder;
};

// Shapes drawn over one another, one of them on a transparent canvas.
const std::string kDrawing =
    "-size 60x40 xc:white "
    "\\( -clone 0 -fill red -draw 'circle 20,20 30,25' \\) "
    "\\( -clone 1 -fill blue -draw 'rectangle 35,5 55,18' \\) "
    "\\( -clone 0 -fill green -draw 'polygon 5,35 30,2 55,35' \\) "
    "\\( -clone 3 -fill yellow -draw 'ellipse 30,20 10,6 0,360' \\) "
    "\\( -size 60x40 xc:none -fill purple -draw 'rectangle 10,10 20,30' \\) ";

TEST_F(WildGifs, OptimisedFramesWithDisposalAndTransparency) {
    Compare(kDrawing + "-layers Optimize");  // sub-rectangles with transparent pixels
    Compare(kDrawing + "-dispose Background -layers OptimizeFrame");
}

TEST_F(WildGifs, RestoreToPrevious) {
    Compare(
        "-dispose None -size 60x40 xc:white -dispose Previous -page +10+10 -size 10x10 xc:red "
        "-page +30+20 -size 15x10 xc:blue -dispose None -page +0+0 -size 20x20 xc:green "
        "-dispose Previous -page +25+5 -size 10x30 xc:yellow -page +5+25 -size 50x5 xc:black");
}

TEST_F(WildGifs, Interlaced) {
    Compare(kDrawing + "-interlace GIF -layers OptimizeTransparency");
}

}  // namespace
