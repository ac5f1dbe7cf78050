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
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TTrigger.h"

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
    const TLayoutObject* banner = layout->NextObject(nullptr);
    const TLayoutObject* letter = layout->NextObject(banner);
    EXPECT_FALSE(banner->IsVisible());
    engine.Window().ShowLayout(layout, -1);
    engine.KeyPress(2, 0, kKeyShift | kKeyCtrl);
    engine.KeyPress(0, u'a', 0);
    EXPECT_TRUE(banner->IsVisible());
    EXPECT_TRUE(letter->IsVisible());
    engine.KeyPress(0, u'a', 0);  // a toggle: hidden again
    EXPECT_FALSE(letter->IsVisible());
}

}  // namespace
