#include "TBitmapObject.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "KLog.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutDisplay.h"
#include "TLayoutSettings.h"
#include "TMemoryBudget.h"
#include "TTrigger.h"

namespace {

class CountingDisplay : public TLayoutDisplay {
  public:
    void RedrawObject(TLayoutObject&) override { ++redraws; }
    void DrawObject(TLayoutObject&) override {}
    int redraws = 0;
};

class TBitmapObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TLayoutSettings::SetApplicationFolder(KTestText(folder.Path()));
        layout.SetDisplay(&display);
    }
    void TearDown() override { TLayoutSettings::SetApplicationFolder(KString()); }
    TBitmapObject& NewBitmap() { return *static_cast<TBitmapObject*>(layout.AddObject(1)); }
    void Receive(TBitmapObject& bitmap, const char* value) {
        TFields definition(nullptr, 64);
        TField field(&definition);
        field.value = KTestText(value);
        bitmap.SetValue(&field);
    }

    KTestFolder folder;
    CountingDisplay display;
    TLayout layout;
};

TEST_F(TBitmapObjectTest, AStaticBitmapWithoutStretchHasItsPicturesSize) {
    folder.Put("logo.tga", GreyTarga(64, 32));
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetSize(5, 5);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Height(), 10);
    EXPECT_TRUE(bitmap.SetFile(KTestText("logo.tga")));
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.Width(), 64);
    EXPECT_EQ(bitmap.Height(), 32);
    bitmap.SetSize(300, 300);
    EXPECT_EQ(bitmap.Width(), 64);
    EXPECT_EQ(bitmap.Height(), 32);
    // Names from other systems find the file whatever their case and separators.
    EXPECT_TRUE(bitmap.SetFile(KTestText(".\\LOGO.TGA")));
    EXPECT_NE(bitmap.CurrentFrame(), nullptr);
}

TEST_F(TBitmapObjectTest, StretchKeepsTheAspectOfThePicture) {
    folder.Put("wide.tga", GreyTarga(200, 100));
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetFile(KTestText("wide.tga"));
    EXPECT_TRUE(bitmap.SetScaleMode(3));
    bitmap.SetSize(100, 50);
    EXPECT_EQ(bitmap.Width(), 100);
    EXPECT_EQ(bitmap.Height(), 50);
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 100);
    bitmap.SetSize(100, 80);
    EXPECT_EQ(bitmap.Width(), 160);
    EXPECT_EQ(bitmap.Height(), 80);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 160);
    EXPECT_EQ(bitmap.NaturalSize().width, 200);

    // While a drag is tracked, the picture waits to be scaled.
    bitmap.SetTracking(true);
    bitmap.SetSize(40, 999);
    EXPECT_EQ(bitmap.Height(), 20);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 160);
    bitmap.SetTracking(false);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 40);
}

TEST_F(TBitmapObjectTest, ADynamicBitmapShowsThePictureItsValueNames) {
    folder.Put("12.tga", GreyTarga(30, 20));
    folder.Put("7.tga", GreyTarga(40, 20));
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetDynamic(true);
    Receive(bitmap, "12");
    EXPECT_EQ(KUtf8Of(bitmap.File()), "12.tga");
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 30);
    EXPECT_EQ(display.redraws, 1);
    Receive(bitmap, "12");  // the same unchanged file: nothing to draw
    EXPECT_EQ(display.redraws, 1);
    Receive(bitmap, "missing");
    EXPECT_EQ(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(display.redraws, 2);

    // A directory of its own, and a pattern that asks for more than one value.
    const std::string sub = folder.Path("flags");
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    folder.Put("flags/GER-7.tga", GreyTarga(16, 8));
    bitmap.SetDirectory(KTestText(sub));
    bitmap.SetFormat(KTestText("GER-%s%s%d.tga"));
    Receive(bitmap, "7");
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.CurrentFrame()->Width(), 16);
}

// Sets a file's last-write time to a fixed moment.
void SetTime(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(TBitmapObjectTest, AReplacedPictureIsReadAgainWhenItsSizeOrTimeChanged) {
    const std::string path = folder.Put("lane.tga", GreyTarga(30, 20));
    SetTime(path, 1000000000);
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetDynamic(true);
    bitmap.SetFormat(KTestText("%s.tga"));
    Receive(bitmap, "lane");
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    // Another size written within the same second as the first.
    folder.Put("lane.tga", GreyTarga(30, 21));
    SetTime(path, 1000000000);
    Receive(bitmap, "lane");
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.CurrentFrame()->Height(), 21);
    folder.Put("lane.tga", GreyTarga(21, 30));
    SetTime(path, 1000000100);
    Receive(bitmap, "lane");
    EXPECT_EQ(bitmap.CurrentFrame()->Height(), 30);
    EXPECT_EQ(display.redraws, 3);
}

TEST_F(TBitmapObjectTest, GifsTakeTheirBackgroundWhenTheSettingSaysSo) {
    // A 3 × 1 screen on a red background; the image covers its first pixel.
    folder.Put("bg.gif", GifBuilder(3, 1, {0x000000, 0xFF0000}, 1).Image(0, 0, 1, 1, {0}).Bytes());
    KRegistry settings;
    settings.ApplyLine(KTestText("\\Display\\:Group="));
    settings.ApplyLine(KTestText("\\Display\\GIFUseBg:Int=1"));
    TLayoutSettings::Bind(&settings);
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetFile(KTestText("bg.gif"));
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.CurrentFrame()->GetPixel(2, 0), 0xFF0000u);
    TLayoutSettings::Bind(nullptr);
}

// Four objects naming one small GIF whose screen takes 16384 × 8192 × 3
// bytes (384 MiB): two fit in the budget of 1 GiB, the others show nothing
// and say so in the log.
TEST_F(TBitmapObjectTest, PicturesPastTheMemoryBudgetAreRefused) {
    const std::string gif = GifBuilder(16384, 8192, {0, 0xFFFFFF}).Image(0, 0, 1, 1, {1}).Bytes();
    ASSERT_LT(gif.size(), size_t(50));
    folder.Put("huge.gif", gif);
    KLog log(KTestText(folder.Path("tessaron.log")));
    KLog::SetProgramLog(&log);
    const int64_t before = TMemoryBudget::Used();
    std::vector<TBitmapObject*> objects;
    for (int i = 0; i < 4; ++i) {
        objects.push_back(&NewBitmap());
        objects.back()->SetFile(KTestText("huge.gif"));
    }
    EXPECT_NE(objects[0]->CurrentFrame(), nullptr);
    EXPECT_NE(objects[1]->CurrentFrame(), nullptr);
    EXPECT_EQ(objects[2]->CurrentFrame(), nullptr);
    EXPECT_EQ(objects[3]->CurrentFrame(), nullptr);
    EXPECT_LE(TMemoryBudget::Used(), TMemoryBudget::Limit());
    EXPECT_EQ(TMemoryBudget::Used() - before, 2 * int64_t{16384} * 8192 * 3);
    KLog::SetProgramLog(nullptr);
    const std::string text = folder.Get("tessaron.log");
    EXPECT_NE(text.find("E: "), std::string::npos) << text;
    EXPECT_NE(text.find("TBitmapObject::Reload: error 2001"), std::string::npos) << text;

    // What one object gives back, the next may take.
    layout.RemoveObject(objects[0]);
    objects[3]->SetFile(KTestText("other.gif"));
    objects[3]->SetFile(KTestText("huge.gif"));
    EXPECT_NE(objects[3]->CurrentFrame(), nullptr);
}

TEST_F(TBitmapObjectTest, PipesAndDamagedPicturesShowNothing) {
    ASSERT_EQ(mkfifo(folder.Path("pipe.tga").c_str(), 0600), 0);
    folder.Put("bad.tga", "not a picture");
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetFile(KTestText("pipe.tga"));  // would wait for a writer forever if opened
    EXPECT_EQ(bitmap.CurrentFrame(), nullptr);
    bitmap.SetFile(KTestText("bad.tga"));
    EXPECT_EQ(bitmap.CurrentFrame(), nullptr);
    EXPECT_EQ(bitmap.NaturalSize().width, 0);
}

TEST_F(TBitmapObjectTest, SwappingStatesFreesAndReloadsPictures) {
    folder.Put("logo.tga", GreyTarga(64, 32));
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetFile(KTestText("logo.tga"));
    std::unique_ptr<TLayoutState> snapshot = layout.Snapshot();
    auto* copy = dynamic_cast<TBitmapObject*>(snapshot->objects.Head());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->CurrentFrame(), nullptr);
    std::unique_ptr<TLayoutState> previous = layout.SwapState(std::move(snapshot));
    EXPECT_EQ(bitmap.CurrentFrame(), nullptr);
    EXPECT_NE(copy->CurrentFrame(), nullptr);
    EXPECT_EQ(copy->Id(), bitmap.Id());
}

// Three frames shown 50, 60 and 70 ms (delays 5, 6, 7), played twice.
std::string TwiceAnimated() {
    GifBuilder gif(2, 2, {0, 0xFF0000, 0x00FF00, 0x0000FF});
    gif.Loop(2);
    for (int frame = 1; frame <= 3; ++frame)
        gif.Control(0, 4 + frame).Image(0, 0, 2, 2, std::vector<uint8_t>(4, uint8_t(frame)));
    return gif.Bytes();
}

TEST_F(TBitmapObjectTest, AnAnimationStepsOnTheTickAndStopsAfterItsLoops) {
    folder.Put("anim.gif", TwiceAnimated());
    TBitmapObject& bitmap = NewBitmap();
    bitmap.SetFile(KTestText("anim.gif"));
    // The delay of the frame shown after ticks at these times.
    auto Shown = [&](std::initializer_list<int64_t> times) {
        for (int64_t t : times) bitmap.Tick(t);
        return bitmap.CurrentFrame()->Delay();
    };
    ASSERT_NE(bitmap.CurrentFrame(), nullptr);
    display.redraws = 0;
    // A step is scheduled by the tick after the frame appeared.
    EXPECT_EQ(Shown({1000, 1049}), 50);
    EXPECT_EQ(Shown({1050}), 60);
    EXPECT_EQ(Shown({1051, 1110}), 60);
    EXPECT_EQ(Shown({1111}), 70);
    EXPECT_EQ(Shown({1112, 1182}), 50);  // second pass
    EXPECT_EQ(Shown({1183, 1233, 1234, 1294}), 70);
    EXPECT_EQ(Shown({1295, 1365, 5000, 9000}), 70);  // two passes: rests on the last
    EXPECT_EQ(display.redraws, 5);

    // Twice the speed is 25 ms, raised to the minimum of 30.
    bitmap.SetSpeed(200);
    bitmap.SetTrigger(KTestText("F1"));  // hidden: back to the start
    EXPECT_EQ(Shown({9001}), 50);
    TTrigger show;
    show.name = KTestText("f1");
    bitmap.Trigger(show, 9002);
    EXPECT_EQ(Shown({10000, 10029}), 50);
    EXPECT_EQ(Shown({10030}), 60);

    // Backwards starts from the last frame; a minimum below 10 acts as 10.
    KRegistry settings;
    settings.ApplyLine(KTestText("\\Display\\"));
    settings.ApplyLine(KTestText("\\Display\\:Group="));
    settings.ApplyLine(KTestText("\\Display\\MinAnimDelay:Int=5"));
    TLayoutSettings::Bind(&settings);
    bitmap.SetSpeed(-1000);
    bitmap.SetTrigger(KString());
    bitmap.SetFile(KTestText("ANIM.GIF"));
    EXPECT_EQ(Shown({20000, 20009}), 70);
    EXPECT_EQ(Shown({20010}), 60);
    EXPECT_EQ(Shown({20011, 20021}), 50);
    TLayoutSettings::Bind(nullptr);
}

}  // namespace
