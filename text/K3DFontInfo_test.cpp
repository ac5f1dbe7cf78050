#include "K3DFontInfo.h"

#include <gtest/gtest.h>

#include "K3DFonts.h"
#include "KMemoryStream.h"
#include "KX.h"
#include "TextTestSupport.h"

namespace {

void PutColor(KMemoryStream& s, uint32_t version, uint32_t color) {
    s.PutInt32(static_cast<int32_t>(version));
    s.PutInt32(static_cast<int32_t>(color));
}

TEST(K3DFontInfo, DefaultsClampsAndTheCharacterWidth) {
    K3DFontInfo info;
    EXPECT_EQ(info.Size(), 34);  // no font list
    EXPECT_EQ(info.WidthPercent(), 100);
    EXPECT_FALSE(info.Squeeze());
    EXPECT_EQ(info.SqueezeMinimum(), 50);
    EXPECT_EQ(info.face, kColorWhite);
    EXPECT_EQ(info.border, kColorBlack);
    EXPECT_EQ(info.shadow, kColorBlack);
    EXPECT_EQ(info.back, kColorBackground);
    EXPECT_EQ(info.borderSize, -1);
    EXPECT_EQ(info.textHandling, -1);
    EXPECT_EQ(info.CharWidth(), -1);

    info.SetSize(5);
    EXPECT_EQ(info.Size(), 10);
    info.SetSize(5000);
    EXPECT_EQ(info.Size(), 999);
    info.SetWidthPercent(0);
    EXPECT_EQ(info.WidthPercent(), 1);
    info.SetWidthPercent(900);
    EXPECT_EQ(info.WidthPercent(), 200);
    info.SetSqueezeMinimum(-4);
    EXPECT_EQ(info.SqueezeMinimum(), 0);
    info.SetSqueezeMinimum(101);
    EXPECT_EQ(info.SqueezeMinimum(), 100);

    // Each of the five setters starts the character width over.
    info.SetCharWidth(7);
    info.SetSqueeze(true);
    EXPECT_EQ(info.CharWidth(), -1);
    info.SetCharWidth(7);
    info.SetFaceName(KTestText("X"));
    EXPECT_EQ(info.CharWidth(), -1);
    info.SetCharWidth(7);
    info.face = kColorRed;  // colours do not
    EXPECT_EQ(info.CharWidth(), 7);
}

TEST(K3DFontInfo, EqualityAndCopies) {
    K3DFontInfo a, b;
    a.SetCharWidth(12);
    EXPECT_TRUE(a == b);  // the character width is not compared
    K3DFontInfo copy(a);
    EXPECT_EQ(copy.CharWidth(), -1);
    b.SetFaceName(KTestText("arial"));
    a.SetFaceName(KTestText("Arial"));
    EXPECT_FALSE(a == b);  // names compare exactly
    b = a;
    EXPECT_TRUE(a == b);
    b.shadowSize = 3;
    EXPECT_FALSE(a == b);
    b = a;
    b.textHandling = 2;
    EXPECT_FALSE(a == b);
}

TEST(K3DFontInfo, StreamFormRoundTrips) {
    K3DFontInfo info;
    info.SetFaceName(KTestText("DejaVu Sans"));
    info.SetSize(77);
    info.SetWidthPercent(80);
    info.SetSqueeze(true);
    info.SetSqueezeMinimum(30);
    info.face = KColorRGB(1, 2, 3);
    info.border = kColorRed;
    info.shadow = kColorBlue;
    info.back = kColorYellow;
    info.borderSize = 0;  // not stored
    KMemoryStream stream;
    info.Write(stream);
    EXPECT_EQ(stream.Bytes().substr(0, 8), std::string("\x0F\x00\x01\x00\x4D\x00\x00\x00", 8));
    K3DFontInfo back;
    back.Read(stream);
    EXPECT_EQ(back.borderSize, -1);
    back.borderSize = 0;
    EXPECT_TRUE(back == info);
}

TEST(K3DFontInfo, OlderVersionsStopEarly) {
    // 0x30005 reads as 0x1000B: size and colours (0x30006 records), nothing more.
    KMemoryStream oldest;
    oldest.PutInt32(0x30005);
    oldest.PutInt32(120);
    PutColor(oldest, 0x30006, kColorRed);
    PutColor(oldest, 0x1000A, kColorGreen);
    PutColor(oldest, 0x30006, KColorRGB(9, 9, 9));
    K3DFontInfo a;
    a.Read(oldest);
    EXPECT_EQ(a.Size(), 120);
    EXPECT_EQ(a.face, kColorRed);
    EXPECT_EQ(a.border, kColorGreen);
    EXPECT_EQ(a.shadow, KColorRGB(9, 9, 9));
    EXPECT_TRUE(a.FaceName().IsEmpty());
    EXPECT_EQ(a.back, kColorBackground);

    // 0x1000E: everything but the width percent, which keeps its default.
    KMemoryStream e;
    e.PutInt32(0x1000E);
    e.PutInt32(3);  // clamped to 10
    for (int i = 0; i < 3; ++i) PutColor(e, 0x1000A, kColorWhite);
    KTestText("Name").Write(e);
    PutColor(e, 0x1000A, kColorCyan);
    e.PutInt32(1);
    e.PutInt32(250);  // clamped to 100
    e.PutInt32(55);   // not read
    K3DFontInfo b;
    b.Read(e);
    EXPECT_EQ(b.Size(), 10);
    EXPECT_EQ(KUtf8Of(b.FaceName()), "Name");
    EXPECT_EQ(b.back, kColorCyan);
    EXPECT_TRUE(b.Squeeze());
    EXPECT_EQ(b.SqueezeMinimum(), 100);
    EXPECT_EQ(b.WidthPercent(), 100);
}

TEST(K3DFontInfo, BadVersionsRaise3009) {
    for (uint32_t version : {0x1000Au, 0x10010u, 0x30006u}) {
        KMemoryStream s;
        s.PutInt32(static_cast<int32_t>(version));
        s.PutInt32(34);
        K3DFontInfo info;
        try {
            info.Read(s);
            ADD_FAILURE() << std::hex << version;
        } catch (const KXPersistent& x) {
            EXPECT_EQ(x.Code(), kErrFileVersion);
        }
    }
    KMemoryStream badColor;
    badColor.PutInt32(0x1000F);
    badColor.PutInt32(34);
    PutColor(badColor, 0x30005, 1);
    K3DFontInfo info;
    EXPECT_THROW(info.Read(badColor), KXPersistent);
    KMemoryStream cut;
    cut.PutInt32(0x1000F);
    EXPECT_THROW(info.Read(cut), KXStream);
}

TEST(K3DFontInfo, SizesFollowTheNamedFont) {
    KTestFolder folder;
    folder.Put("a.fnt", FntBlock(' ', 5, 20));
    folder.Put("b.fnt", FntBlock(' ', 5, 30));
    folder.Put("c.fnt", FntBlock(' ', 5, 40));
    DefaultSettings settings;
    K3DFonts fonts(settings.registry, folder.Path(), nullptr);
    K3DFontInfo info;
    EXPECT_EQ(info.Size(), 30);  // the internal font's default: its second size
    info.SetSize(40);
    EXPECT_EQ(info.Size(), 40);
    info.SetSize(35);  // not a size of the internal font
    EXPECT_EQ(info.Size(), 40);
    info.SetFaceName(KTestText("DejaVu Sans"));
    EXPECT_EQ(info.Size(), 40);  // any size suits a system font
    info.SetSize(35);
    EXPECT_EQ(info.Size(), 35);
    info.SetFaceName(KTestText(""));
    EXPECT_EQ(info.Size(), 30);  // back to the internal font's default
    info.SetFaceName(KTestText("No Such Family"));
    info.SetSize(12);
    EXPECT_EQ(info.Size(), 12);
}

}  // namespace
