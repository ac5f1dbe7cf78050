// Layout files: the bytes written, every older version read, hostile files
// and saving that never loses the old file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "KErrors.h"
#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TBitmapObject.h"
#include "TLayout.h"
#include "TLayoutSettings.h"
#include "TLayoutUi.h"
#include "TTextObject.h"

namespace {

class TLayoutFile : public ::testing::Test {
  protected:
    void SetUp() override { TLayoutSettings::SetApplicationFolder(KTestText(folder.Path())); }
    void TearDown() override { TLayoutSettings::SetApplicationFolder(KString()); }
    // Loads bytes as a layout file; the result code.
    int32_t Load(const std::string& bytes) {
        return layout.Load(KTestText(folder.Put("in.tly", bytes)), true);
    }
    const TLayoutObject& Object(int index) const { return *layout.State().objects.At(index); }
    const TTextObject& Text(int index) const {
        return dynamic_cast<const TTextObject&>(Object(index));
    }
    const TBitmapObject& Bitmap(int index) const {
        return dynamic_cast<const TBitmapObject&>(Object(index));
    }
    // Saves the layout under name; the result code.
    int32_t SaveAs(TLayout& source, const std::string& name) {
        source.Load(KTestText(folder.Put(name, LayoutBytes().Header(0x30003, 0, 0).bytes)), false);
        return source.Save(TLayout::kSave);
    }

    KTestFolder folder;
    TLayout layout;
};

TEST_F(TLayoutFile, ANewEmptyLayoutIs36Bytes) {
    TLayout empty;
    ASSERT_EQ(SaveAs(empty, "empty.tly"), 0);
    const std::string expected = LayoutBytes()
                                     .Int(0x30005)
                                     .Int(0)
                                     .Int(0)
                                     .Int(0x10007)
                                     .Int(0)
                                     .Colour(kColorBlue)
                                     .Int(0)
                                     .Int(0)
                                     .bytes;
    EXPECT_EQ(folder.Get("empty.tly"), expected);
    EXPECT_EQ(folder.Get("empty.tly").size(), 36u);
}

TEST_F(TLayoutFile, OlderLayoutVersionsTakeTheDefaults) {
    ASSERT_EQ(Load(LayoutBytes().Header(0x30003, 4, 0).bytes), 0);
    EXPECT_EQ(layout.State().background, kColorBlue);
    EXPECT_EQ(layout.State().sourceMode, 0);
    EXPECT_EQ(layout.LastId(), 4);
    EXPECT_EQ(layout.Reserved(), 7);

    TLayout second;
    const std::string v4 = LayoutBytes().Header(0x30004, 0, 0).Colour(kColorRed, 0x30006).bytes;
    ASSERT_EQ(second.Load(KTestText(folder.Put("v4.tly", v4)), true), 0);
    EXPECT_EQ(second.State().background, kColorRed);
    EXPECT_EQ(second.State().sourceMode, 0);

    EXPECT_EQ(Load(LayoutBytes().Header(0x30006, 0, 0).bytes), 3009);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30002, 0, 0).bytes), 3009);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 0).Colour(1, 0x1000B).Int(0).Int(0).bytes),
              3009);
}

TEST_F(TLayoutFile, OlderObjectRecords) {
    LayoutBytes file;
    file.Header(0x30005, 9, 3);
    // A base part of 0x00030004 whose legacy flag makes it dynamic; text part 0x00030007.
    file.Wide("TTextObject").Base(0x30004, 3, 0, 1).Int(0x30007).Font().Int(1);
    file.Wide("Lane %s").Wide("4");
    // Single-byte strings, base 0x00030005, text 0x00030008.
    file.Narrow("TTextObject").Base(0x30005, 5, 1).Int(0x30008).Font().Int(2);
    file.Narrow("%s").Narrow("12.5").Int(3).Int(-4);
    // Bitmap part 0x00030009: no black transparency, directory or speed.
    file.Wide("TBitmapObject").Base(0x30006, 8, 0).Int(0x30009).Wide("logo.tga");
    file.Wide("%s.jpg").Wide("x");
    file.Colour(kColorGreen).Int(1).Int(0x6);
    ASSERT_EQ(Load(file.bytes), 0);
    ASSERT_EQ(layout.State().objects.Count(), 3);

    const TTextObject& old = Text(0);
    EXPECT_EQ(old.Id(), 3);
    EXPECT_TRUE(old.IsDynamic());
    EXPECT_EQ(old.SourceMode(), 0);
    EXPECT_TRUE(old.TriggerName().IsEmpty());
    EXPECT_EQ(old.Lines(), 1);
    EXPECT_EQ(old.LineSpace(), 0);
    EXPECT_EQ(old.Height(), 40);  // as stored
    EXPECT_EQ(KUtf8Of(old.Text()), "Lane %s");
    EXPECT_EQ(old.Font().Size(), 40);
    EXPECT_EQ(KUtf8Of(old.Font().FaceName()), "Sport");
    EXPECT_EQ(old.Font().face, kColorRed);

    const TTextObject& narrow = Text(1);
    EXPECT_EQ(KUtf8Of(narrow.Value()), "12.5");
    EXPECT_EQ(narrow.SourceMode(), 1);
    EXPECT_EQ(narrow.SourceMask(), 4u);
    EXPECT_EQ(narrow.Lines(), 3);
    EXPECT_EQ(narrow.LineSpace(), -4);
    EXPECT_EQ(narrow.Justification(), 2);

    const TBitmapObject& bitmap = Bitmap(2);
    EXPECT_EQ(KUtf8Of(bitmap.Format()), "%s.jpg");
    EXPECT_EQ(bitmap.Speed(), 100);
    EXPECT_TRUE(bitmap.Directory().IsEmpty());
    EXPECT_TRUE(bitmap.BlackTransparent());
    EXPECT_EQ(KUtf8Of(bitmap.TriggerName()), "F1");
    EXPECT_EQ(bitmap.TriggerTime(), 3000);
    EXPECT_FALSE(bitmap.IsVisible());  // no trigger has fired yet
    EXPECT_EQ(layout.State().sourceMask, 6u);
}

TEST_F(TLayoutFile, WritingAndReadingBackKeepsEverything) {
    folder.Put("logo.tga", GreyTarga(64, 32));
    TLayout source;
    auto* text = static_cast<TTextObject*>(source.AddObject(0));
    text->SetText(KTestText("Heat %s"));
    text->SetLines(2);
    text->SetTrigger(KTestText("Official"));
    text->SetTriggerTime(2500);
    text->SetSelected(true);
    auto* bitmap = static_cast<TBitmapObject*>(source.AddObject(1));
    bitmap->SetFile(KTestText("logo.tga"));
    bitmap->SetSpeed(-250);
    bitmap->SetBlackTransparent(false);
    source.RemoveObject(source.AddObject(0));
    source.SetBackground(KColorRGB(1, 2, 3));
    source.SelectSource(5, true);
    source.SetSourceMode(1);
    ASSERT_EQ(SaveAs(source, "round.tly"), 0);

    ASSERT_EQ(layout.Load(KTestText(folder.Path("round.tly")), true), 0);
    EXPECT_EQ(layout.LastId(), 3);
    EXPECT_EQ(layout.State().background, KColorRGB(1, 2, 3));
    EXPECT_EQ(layout.State().sourceMask, 32u);
    EXPECT_EQ(Text(0).Id(), 1);
    EXPECT_EQ(Text(0).Flags(), TLayoutObject::kDynamic | TLayoutObject::kSelected);
    EXPECT_EQ(Text(0).Height(), 68);
    EXPECT_EQ(KUtf8Of(Text(0).TriggerName()), "Official");
    EXPECT_EQ(Text(0).TriggerTime(), 2500);
    EXPECT_EQ(Bitmap(1).Id(), 2);
    EXPECT_EQ(Bitmap(1).Width(), 64);
    EXPECT_EQ(Bitmap(1).Speed(), -250);
    EXPECT_FALSE(Bitmap(1).BlackTransparent());

    // Written again, the file is the same byte for byte.
    const std::string first = folder.Get("round.tly");
    ASSERT_EQ(layout.Save(TLayout::kSave), 0);
    EXPECT_EQ(folder.Get("round.tly"), first);
}

// A desktop whose save dialog gives the answers in turn; an empty answer, or
// none left, cancels.
class Desktop : public TLayoutUi {
  public:
    bool AskSavePath(KString& path) override {
        asked = KUtf8Of(path);
        if (answers.empty()) return false;
        path = KTestText(answers.front());
        answers.erase(answers.begin());
        return !path.IsEmpty();
    }
    void SetBusy(bool on) override { busyChanges += on ? 1 : 10; }
    std::vector<std::string> answers;
    std::string asked;
    int busyChanges = 0;
};

TEST_F(TLayoutFile, SavingAnUntitledLayoutAsksForAName) {
    TLayout source;
    TLayout::SetLayoutFolder(KTestText(folder.Path()));
    folder.Put("Untitled 1.tly", "");
    EXPECT_EQ(source.New(), 0);
    EXPECT_TRUE(source.IsUntitled());
    EXPECT_EQ(source.Save(TLayout::kSave), 1004);  // no desktop to ask
    EXPECT_EQ(source.Save(0), 0);

    Desktop desktop;
    source.SetUi(&desktop);
    EXPECT_EQ(source.Save(TLayout::kSave), 1004);
    EXPECT_NE(desktop.asked.find("/Untitled "), std::string::npos);
    EXPECT_NE(desktop.asked.find(".tly"), std::string::npos);
    EXPECT_EQ(desktop.asked.find("Untitled 1.tly"), std::string::npos);  // that name is taken
    desktop.answers = {folder.Path("Pool")};
    EXPECT_EQ(source.Save(TLayout::kSave), 0);
    EXPECT_FALSE(source.IsUntitled());
    EXPECT_EQ(KUtf8Of(source.Path()), folder.Path("Pool.tly"));
    EXPECT_EQ(folder.Get("Pool.tly").size(), 36u);
    EXPECT_EQ(desktop.busyChanges, 11);

    // A name that becomes another layout's file once it ends in ".tly" is
    // asked for again as that file, which is replaced only when confirmed.
    folder.Put("Heat.tly", "kept");
    desktop.answers = {folder.Path("Heat"), ""};
    EXPECT_EQ(source.Save(TLayout::kSave | TLayout::kAskName), 1004);
    EXPECT_EQ(desktop.asked, folder.Path("Heat.tly"));
    EXPECT_EQ(folder.Get("Heat.tly"), "kept");
    desktop.answers = {folder.Path("Heat.v2"), folder.Path("Heat.tly")};
    EXPECT_EQ(source.Save(TLayout::kSave | TLayout::kAskName), 0);
    EXPECT_EQ(KUtf8Of(source.Path()), folder.Path("Heat.tly"));
    EXPECT_EQ(folder.Get("Heat.tly").size(), 36u);
    TLayout::SetLayoutFolder(KString());
}

TEST_F(TLayoutFile, AFailedSaveLeavesTheOldFile) {
    TLayout big;
    for (int i = 0; i < 200; ++i) big.AddObject(0);
    const std::string old = LayoutBytes().Header(0x30003, 0, 0).bytes;
    ASSERT_EQ(big.Load(KTestText(folder.Put("kept.tly", old)), false), 0);
    // A disk that takes no more than 1000 bytes of any one file.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const int32_t code = big.Save(TLayout::kSave);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(code, 3005);
    EXPECT_EQ(folder.Get("kept.tly"), old);
    EXPECT_EQ(std::system(("test $(ls '" + folder.Path() + "' | wc -l) -eq 1").c_str()), 0);
}

TEST_F(TLayoutFile, HostileFilesFailInBoundedTime) {
    folder.Put("logo.tga", GreyTarga(8, 8));
    LayoutBytes file;
    file.Header(0x30005, 2, 2);
    file.Wide("TTextObject").Base(0x30006, 1, 1).Int(0x30008).Font().Int(0);
    file.Wide("%s").Wide("value").Int(1).Int(0);
    file.Wide("TBitmapObject").Base(0x30006, 2, 0).Int(0x3000C).Wide("logo.tga");
    file.Wide("%s.tga").Wide("").Int(1).Wide("").Int(100);
    file.Colour(kColorBlue).Int(0).Int(0);
    ASSERT_EQ(Load(file.bytes), 0);
    for (size_t n = 0; n < file.bytes.size(); ++n) {
        TLayout cut;
        ASSERT_EQ(cut.Load(KTestText(folder.Put("cut.tly", file.bytes.substr(0, n))), true), 3004)
            << n;
    }

    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 2000000000).bytes), 3004);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 1).Int(0x10010005).Int(2000000000).bytes),
              3004);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 1).Int(0x10010005).Int(0x80000000).bytes),
              3009);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 1).Wide(std::string(10000, 'T')).bytes), 3010);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 1).Wide("TTextobject").bytes), 3010);
    EXPECT_EQ(Load(LayoutBytes().Header(0x30005, 0, 1).Wide("TLayoutObject").bytes), 3010);

    LayoutBytes huge;
    huge.Header(0x30005, 1, 1).Wide("TTextObject").Base(0x30006, 1, 1).Int(0x30008).Font();
    huge.Int(0).Wide("%s").Wide(std::string(5 << 20, '9')).Int(1).Int(0);
    huge.Colour(kColorBlue).Int(0).Int(0);
    ASSERT_EQ(Load(huge.bytes), 0);
    EXPECT_EQ(Text(0).Value().Length(), 5 << 20);

    ASSERT_EQ(mkfifo(folder.Path("pipe.tly").c_str(), 0600), 0);
    EXPECT_EQ(layout.Load(KTestText(folder.Path("pipe.tly")), true), 3002);
    EXPECT_EQ(layout.Load(KTestText(folder.Path("none.tly")), true), 3002);
}

TEST_F(TLayoutFile, APipeAFolderOrADeviceNamedAsALayoutIsRefusedAtOnce) {
    const std::string pipe = folder.Path("waiting.tly");
    ASSERT_TRUE(KMakeFifo(pipe));
    for (const std::string& path : {pipe, folder.Path(), std::string("/dev/null")}) {
        int32_t code = 0;
        EXPECT_TRUE(KReturnsAtOnce({pipe}, [&] { code = layout.Load(KTestText(path), true); }))
            << path;
        EXPECT_EQ(code, kErrFileOpen) << path;
    }
}

TEST_F(TLayoutFile, AJsonNameKeepsTheLayoutAsJsonText) {
    const std::string path =
        folder.Put("heat.json", R"({"objects": [{"class": "TTextObject", "x": 5, "y": 7}]})");
    ASSERT_EQ(layout.Load(KTestText(path), true), 0);
    ASSERT_EQ(layout.State().objects.Count(), 1);
    EXPECT_EQ(Object(0).X(), 5);
    layout.State().objects.Head()->SetPosition(40, 7);
    ASSERT_EQ(layout.Save(TLayout::kSave), 0);
    std::ifstream saved(path);
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_EQ(text.substr(0, 2), "{\n");
    TLayout back;
    ASSERT_EQ(back.Load(KTestText(path), true), 0);
    EXPECT_EQ(back.State().objects.Head()->X(), 40);
    // Anything but our JSON is refused as the contents of the file.
    for (const char* bad : {"{\"objects\": [", "[1, 2]", "{\"colour\": 3}"}) {
        TLayout refused;
        EXPECT_EQ(refused.Load(KTestText(folder.Put("bad.json", bad)), true), kErrFileContents)
            << bad;
    }
}

}  // namespace
