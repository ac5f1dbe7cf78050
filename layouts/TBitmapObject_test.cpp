#include "TBitmapObject.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutDisplay.h"
#include "TLayoutSettings.h"

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
    auto* copy = static_cast<TBitmapObject*>(snapshot->objects.Head());
    ASSERT_NE(copy->CurrentFrame(), nullptr);
    std::unique_ptr<TLayoutState> previous = layout.SwapState(std::move(snapshot));
    EXPECT_EQ(bitmap.CurrentFrame(), nullptr);
    EXPECT_NE(copy->CurrentFrame(), nullptr);
    EXPECT_EQ(copy->Id(), bitmap.Id());
}

}  // namespace
