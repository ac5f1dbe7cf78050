#include "KPictureCache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "ImagesTestSupport.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KX.h"

namespace {

// A 24-bit Targa of this size, every pixel one grey level.
std::string Targa(int width, int height, char grey) {
    return TargaHeader(2, width, height, 24, 0) + std::string(size_t(width) * height * 3, grey);
}

// Sets a file's last-write time to a fixed moment.
void SetTime(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class PictureCache : public ::testing::Test {
  protected:
    PictureCache() {
        cache.Clear();
        settings.ApplyLine(KTestText("\\Display\\:Group="));
        settings.ApplyLine(KTestText("\\Display\\PictureCache:Int=268435456"));
        settings.ApplyLine(KTestText("\\Display\\GIFUseBg:Int=0"));
        cache.Bind(&settings);
    }
    ~PictureCache() override {
        cache.Bind(nullptr);
        cache.Clear();
    }
    std::shared_ptr<const KBitmaps> Load(const std::string& path,
                                         KBitmaps::ReadOptions options = {}) {
        error = 0;
        return cache.Load(KTestText(path), options, &error);
    }
    void Set(const char* name, int32_t value) {
        settings.FindInt(KTestText(std::string("\\Display\\") + name))->value = value;
    }

    KTestFolder folder;
    KRegistry settings;
    KPictureCache& cache = KPictureCache::Shared();
    int32_t error = 0;
};

TEST_F(PictureCache, AFileIsDecodedAgainOnlyWhenItsSizeOrTimeChanges) {
    const std::string path = folder.Put("grey.tga", Targa(4, 2, '\x10'));
    SetTime(path, 1000000000);
    const int64_t decodes = cache.Decodes();
    const auto first = Load(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(Load(path), first);
    EXPECT_EQ(cache.Decodes(), decodes + 1);

    // Another size at the same time is another picture.
    folder.Put("grey.tga", Targa(4, 3, '\x20'));
    SetTime(path, 1000000000);
    const auto taller = Load(path);
    ASSERT_TRUE(taller);
    EXPECT_EQ(taller->Height(), 3);
    // The same size at another time too.
    folder.Put("grey.tga", Targa(4, 3, '\x30'));
    SetTime(path, 1000000100);
    const auto later = Load(path);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->Frame(0)->GetPixel(0, 0), 0x303030u);
    EXPECT_EQ(cache.Decodes(), decodes + 3);
    // The picture handed out earlier stays as it was.
    EXPECT_EQ(first->Frame(0)->GetPixel(0, 0), 0x101010u);

    // No plain file: nothing decoded.
    EXPECT_FALSE(Load(folder.Path()));
    EXPECT_EQ(error, kErrFileOpen);
    EXPECT_FALSE(Load(folder.Path("missing.tga")));
    EXPECT_EQ(cache.Decodes(), decodes + 3);
}

TEST_F(PictureCache, TheCacheKeepsAtMostItsBoundAndDropsTheOldestFirst) {
    // Each picture takes 300 × 100 × 3 pixel bytes and a little more: one fits.
    Set("PictureCache", 150000);
    const std::string a = folder.Put("a.tga", Targa(300, 100, '\x01'));
    const std::string b = folder.Put("b.tga", Targa(300, 100, '\x02'));
    const std::string big = folder.Put("big.tga", Targa(300, 300, '\x03'));
    const int64_t decodes = cache.Decodes();
    Load(a);
    Load(b);  // a goes
    EXPECT_LE(cache.Bytes(), 150000);
    Load(b);
    EXPECT_EQ(cache.Decodes(), decodes + 2);
    Load(a);
    EXPECT_EQ(cache.Decodes(), decodes + 3);
    // A picture above the bound is read, but not kept.
    EXPECT_TRUE(Load(big));
    EXPECT_TRUE(Load(big));
    EXPECT_EQ(cache.Decodes(), decodes + 5);
    Set("PictureCache", 0);
    Load(a);
    EXPECT_EQ(cache.Bytes(), 0);
}

TEST_F(PictureCache, AReadForTheFirstFrameStopsWhenThatFrameIsComplete) {
    // Two frames of 50 ms, then a graphic control of a size no file may
    // have: only a read that stops early succeeds, and it reads no further
    // than the first frame's image.
    GifBuilder gif(2, 1, {0x000000, 0xFF0000});
    gif.Control(0, 5).Image(0, 0, 2, 1, {1, 1}).Control(0, 5).Image(0, 0, 2, 1, {0, 0});
    const std::string path = folder.Put("two.gif", gif.Raw("\x21\xF9\x07").Bytes());
    KBitmaps::ReadOptions first;
    first.maxFrames = 1;
    const auto frames = Load(path, first);
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->Count(), 1);
    EXPECT_EQ(frames->Frame(0)->GetPixel(0, 0), 0xFF0000u);
    EXPECT_FALSE(Load(path));
    EXPECT_EQ(error, kErrFileContents);
    // An image without a delay belongs to the first frame: it is read too.
    GifBuilder merged(2, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    merged.Image(0, 0, 1, 1, {1}).Control(0, 5).Image(1, 0, 1, 1, {2});
    const auto both = Load(folder.Put("merged.gif", merged.Raw("\x21\xF9\x07").Bytes()), first);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->Frame(0)->GetPixel(1, 0), 0x00FF00u);
}

TEST_F(PictureCache, TheGifBackgroundFollowsTheSetting) {
    // A 3 × 1 screen on a red background; the image covers its first pixel.
    const std::string path = folder.Put(
        "bg.gif", GifBuilder(3, 1, {0x000000, 0xFF0000}, 1).Image(0, 0, 1, 1, {0}).Bytes());
    EXPECT_EQ(Load(path)->Frame(0)->GetPixel(2, 0), 0x000000u);
    Set("GIFUseBg", 1);
    EXPECT_EQ(Load(path)->Frame(0)->GetPixel(2, 0), 0xFF0000u);
}

TEST_F(PictureCache, AJpegIsDecodedAtTheScaleItIsShownAt) {
    const std::string path = folder.Path("wide.jpg");
    const std::string make = "convert -size 800x600 gradient:red-blue -quality 90 " + path;
    ASSERT_EQ(std::system(make.c_str()), 0);
    KBitmaps::ReadOptions small;
    small.minWidth = 90;  // 100 × 75, an eighth, still covers 90 × 70
    small.minHeight = 70;
    const auto eighth = Load(path, small);
    ASSERT_TRUE(eighth);
    EXPECT_EQ(eighth->Width(), 100);
    EXPECT_EQ(eighth->Height(), 75);
    EXPECT_EQ(eighth->NaturalWidth(), 800);
    EXPECT_EQ(eighth->NaturalHeight(), 600);
    small.minWidth = 101;  // needs two eighths
    EXPECT_EQ(Load(path, small)->Width(), 200);
    small.minWidth = 5000;  // never more than the picture
    EXPECT_EQ(Load(path, small)->Width(), 800);
    EXPECT_EQ(Load(path)->Width(), 800);
    // A limit below the frame refuses it as memory that cannot be had.
    KBitmaps::ReadOptions tight;
    tight.maxBytes = 1000;
    tight.minWidth = 799;
    tight.minHeight = 1;
    EXPECT_FALSE(Load(path, tight));
    EXPECT_EQ(error, kErrNoMemory);
}

TEST_F(PictureCache, APipeAFolderOrADeviceIsNoPictureAndIsRefusedAtOnce) {
    const std::string pipe = folder.Path("waiting.tga");
    ASSERT_TRUE(KMakeFifo(pipe));
    for (const std::string& path : {pipe, folder.Path(), std::string("/dev/null")}) {
        std::shared_ptr<const KBitmaps> frames;
        EXPECT_TRUE(KReturnsAtOnce({pipe}, [&] { frames = Load(path); })) << path;
        EXPECT_FALSE(frames) << path;
        EXPECT_EQ(error, kErrFileOpen) << path;
    }
}

}  // namespace
