#include "TVideoDisplayObject.h"

#include <gtest/gtest.h>

#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KX.h"
#include "LayoutTestSupport.h"
#include "TLayout.h"

namespace {

TEST(TVideoDisplayObject, ANewObjectHasAPictureOfItsSizeAndRotation) {
    TLayout layout;
    auto& video = *static_cast<TVideoDisplayObject*>(layout.AddObject(2));
    EXPECT_TRUE(video.IsDynamic());
    EXPECT_EQ(KUtf8Of(video.Field()), "Video Display Data");
    EXPECT_FALSE(video.BlackTransparent());
    EXPECT_TRUE(video.Display().HasBuffer());
    EXPECT_EQ(video.Display().Width(), 150);
    EXPECT_EQ(video.Display().Height(), 50);

    video.SetRotate(1);
    EXPECT_EQ(video.Display().Width(), 50);
    EXPECT_EQ(video.Display().Height(), 150);
    video.SetTracking(true);
    video.SetSize(300, 60);
    EXPECT_EQ(video.Display().Height(), 150);  // waits for the drag to end
    video.SetTracking(false);
    EXPECT_EQ(video.Display().Height(), 300);

    KString info;
    video.GetInfo(info);
    EXPECT_EQ(KUtf8Of(info), "DYN | VID");
}

TEST(TVideoDisplayObject, SwappingStatesReleasesAndSetsUpThePicture) {
    TLayout layout;
    auto& video = *static_cast<TVideoDisplayObject*>(layout.AddObject(2));
    std::unique_ptr<TLayoutState> snapshot = layout.Snapshot();
    auto* copy = dynamic_cast<TVideoDisplayObject*>(snapshot->objects.Head());
    ASSERT_NE(copy, nullptr);
    std::unique_ptr<TLayoutState> previous = layout.SwapState(std::move(snapshot));
    EXPECT_FALSE(video.Display().HasBuffer());
    EXPECT_TRUE(copy->Display().HasBuffer());
}

TEST(TVideoDisplayObject, RecordsOfTheOneVersion) {
    LayoutBytes file;
    file.Header(0x30005, 1, 1).Wide("TVideoDisplayObject").Base(0x30006, 1, 1);
    file.Int(0x30009).Int(2).Int(1).Colour(kColorBlue).Int(0).Int(0);
    TLayout layout;
    KMemoryStream in(file.bytes);
    layout.Read(in);
    const auto& video = *static_cast<const TVideoDisplayObject*>(layout.FindById(1));
    EXPECT_EQ(video.Rotate(), 2);
    EXPECT_TRUE(video.BlackTransparent());
    EXPECT_EQ(video.Display().Width(), 40);  // 100 × 40 turned right
    KMemoryStream out;
    layout.Write(out);
    EXPECT_EQ(out.Bytes(), file.bytes);

    file.bytes.replace(file.bytes.size() - 28, 4, std::string("\x0A\x00\x03\x00", 4));
    TLayout newer;
    KMemoryStream bad(file.bytes);
    try {
        newer.Read(bad);
        FAIL();
    } catch (const KX& e) {
        EXPECT_EQ(e.Code(), 3009);
    }
}

}  // namespace
