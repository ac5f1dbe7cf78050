#include "TDisplayEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "LayoutTestSupport.h"
#include "TBitmapObject.h"
#include "TDefaultSettings.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TMemoryBudget.h"
#include "TTrigger.h"
#include "TVideoDisplayObject.h"

namespace {

class DisplayEngine : public ::testing::Test {
  protected:
    DisplayEngine() { ApplyDefaultSettings(settings); }

    KTestFolder folder;
    KRegistry settings;
    K3DFonts fonts{settings, folder.Path(), nullptr};
    KVirtualClock clock;
    KFrameBufferSurface surface;
    TDisplayEngine engine{settings, folder.Path(),      fonts,  surface,
                          clock,    {{0, 0, 639, 479}}, nullptr};
};

TEST_F(DisplayEngine, OpenRequestsWaitForThePassOneAtATime) {
    const std::string path = WriteLayoutFile(folder, "a b.tly", R"({"objects": []})");
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(engine.Request(KTestText("OpenLayout,\"" + path + "\"")));
    EXPECT_FALSE(engine.Request(KTestText("OpenLayout,\"" + path + "\"")));  // busy
    EXPECT_EQ(engine.Layouts().Count(), 0);
    engine.Pass();
    EXPECT_EQ(engine.Layouts().Count(), 1);
    // Names are exact; a request without a path does nothing; each is
    // discarded after its pass.
    for (const char* request : {"openlayout,\"x.tly\"", "OpenLayout", "OpenLayout,"}) {
        EXPECT_TRUE(engine.Request(KTestText(request))) << request;
        engine.Pass();
    }
    EXPECT_EQ(engine.Layouts().Count(), 1);
}

// A path as long as a deep folder makes it reaches the layouts whole.
TEST_F(DisplayEngine, ALongOpenRequestIsTakenWhole) {
    std::string deep;
    for (int i = 0; i < 8; ++i) deep += std::string(120, char('a' + i)) + "/";
    ASSERT_TRUE(std::filesystem::create_directories(folder.Path(deep)));
    const std::string path = WriteLayoutFile(folder, deep + "long.tly", R"({"objects": []})");
    ASSERT_GT(path.size(), 900u);
    EXPECT_TRUE(engine.Request(KTestText("OpenLayout,\"" + path + "\"")));
    engine.Pass();
    ASSERT_EQ(engine.Layouts().Count(), 1);
    EXPECT_EQ(KUtf8Of(engine.Layouts().Window(1)->Path()), path);
}

TEST_F(DisplayEngine, KeysFireToggleTriggersOnTheShownLayout) {
    const std::string path = WriteLayoutFile(folder, "keys.tly", R"({"objects": [
        {"class": "TTextObject", "flags": 0, "text": "x", "trigger": "S+C+F2"},
        {"class": "TTextObject", "flags": 0, "text": "y", "trigger": "a"}]})");
    ASSERT_EQ(engine.Layouts().OpenLayout(KTestText(path)), 0);
    TLayout* layout = engine.Layouts().Window(1);
    engine.KeyPress(2, 0, kKeyShift | kKeyCtrl);  // not shown yet: nothing fires
    const TLayoutObject* banner = layout->State().objects.Head();
    const TLayoutObject* letter = layout->State().objects.At(1);
    EXPECT_FALSE(banner->IsVisible());
    engine.Window().ShowLayout(layout, -1);
    engine.KeyPress(2, 0, kKeyShift | kKeyCtrl);
    engine.KeyPress(0, u'a', 0);
    EXPECT_TRUE(banner->IsVisible());
    EXPECT_TRUE(letter->IsVisible());
    engine.KeyPress(0, u'a', 0);  // a toggle: hidden again
    EXPECT_FALSE(letter->IsVisible());
}

// A page of the video display reaches the board only with its "LayoutFlush":
// the values before it leave the board as it was.
TEST_F(DisplayEngine, AVideoDisplayShowsItsPageAfterLayoutFlush) {
    const std::string path = WriteLayoutFile(folder, "video.tly", R"({"objects": [
        {"class": "TVideoDisplayObject", "x": 0, "y": 0, "width": 200, "height": 100}]})");
    ASSERT_EQ(engine.Layouts().OpenLayout(KTestText(path)), 0);
    TLayout* layout = engine.Layouts().Window(1);
    engine.Window().ShowLayout(layout, -1);
    TLayoutObject* video = layout->State().objects.Head();
    TFields definition(nullptr, 64);
    TField field(&definition);
    auto send = [&](const std::string& commands) {
        field.value = KTestText(commands);
        video->SetValue(&field);
    };
    const uint32_t before = surface.Pixel(100, 50);
    send("\x12LayoutSetup=1\x14\x12LayoutBackColor=Red\x14\x12ImageDraw=none.tga\x14");
    EXPECT_EQ(surface.Pixel(100, 50), before);
    send("\x12LayoutFlush\x14");
    EXPECT_EQ(surface.Pixel(100, 50), 0xFF0000u);
}

// Four video displays of 11000 × 11000 (462 MiB each) and four bitmaps of a
// GIF whose screen is 16384 × 8192 (384 MiB each) in one layout: what fits in
// the budget of 1 GiB is made, the rest is refused and draws nothing, and the
// small display after them all still shows its page.
TEST_F(DisplayEngine, ALayoutPastTheMemoryBudgetDrawsWhatFits) {
    folder.Put("huge.gif", GifBuilder(16384, 8192, {0, 0xFFFFFF}).Image(0, 0, 1, 1, {1}).Bytes());
    std::string objects;
    for (int i = 0; i < 4; ++i)
        objects += R"({"class": "TVideoDisplayObject", "x": 0, "y": 0, "width": 11000,
                       "height": 11000},)";
    for (int i = 0; i < 4; ++i)
        objects += R"({"class": "TBitmapObject", "x": 0, "y": 0, "file": "huge.gif"},)";
    objects += R"({"class": "TVideoDisplayObject", "x": 10, "y": 10, "width": 100,
                   "height": 50})";
    const std::string path =
        WriteLayoutFile(folder, "heavy.tly", R"({"objects": [)" + objects + "]}");
    ASSERT_FALSE(path.empty());
    const int64_t before = TMemoryBudget::Used();
    ASSERT_EQ(engine.Layouts().OpenLayout(KTestText(path)), 0);
    EXPECT_LE(TMemoryBudget::Used(), TMemoryBudget::Limit());
    TLayout* layout = engine.Layouts().Window(1);
    std::vector<TLayoutObject*> all;
    for (TLayoutObject& o : layout->Objects()) all.push_back(&o);
    ASSERT_EQ(all.size(), size_t(9));
    auto hasBuffer = [&](int i) {
        return static_cast<TVideoDisplayObject*>(all[i])->Display().HasBuffer();
    };
    EXPECT_TRUE(hasBuffer(0));
    EXPECT_TRUE(hasBuffer(1));
    EXPECT_FALSE(hasBuffer(2));
    EXPECT_FALSE(hasBuffer(3));
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(static_cast<TBitmapObject*>(all[i])->CurrentFrame(), nullptr) << i;
    ASSERT_TRUE(hasBuffer(8));

    engine.Window().ShowLayout(layout, -1);
    TFields definition(nullptr, 64);
    TField field(&definition);
    field.value = KTestText("\x12LayoutBackColor=Red\x14\x12ImageDraw=none\x14\x12LayoutFlush\x14");
    all[8]->SetValue(&field);
    EXPECT_EQ(surface.Pixel(50, 30), 0xFF0000u);
    engine.Layouts().Close(layout);
    EXPECT_EQ(TMemoryBudget::Used(), before);
}

}  // namespace
