// The open layouts and the remote commands together, as a source drives
// them: real layout files in a temporary folder, a real receiver framing a
// script, settings from the default table and a virtual clock. The screen is
// a double of the display window that records what it is asked to show.

#include "TOpenLayouts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "KClock.h"
#include "KMemoryStream.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KX.h"
#include "LayoutTestSupport.h"
#include "TDefaultSettings.h"
#include "TField.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TLayoutRecovery.h"
#include "TLayoutScreen.h"
#include "TLayoutUi.h"
#include "TReceiver.h"
#include "TRemoteCommands.h"
#include "TTextObject.h"
#include "TTrigger.h"

namespace {

class RecordingScreen : public TLayoutScreen {
  public:
    TLayout* CurrentLayout() const override { return current; }
    void ShowLayout(TLayout* layout, int32_t delay) override {
        shown.emplace_back(layout, delay);
        current = layout;
    }
    KSize LayoutSize() const override { return KSize{240, 140}; }

    TLayout* current = nullptr;
    std::vector<std::pair<TLayout*, int32_t>> shown;
};

class RecordingObserver : public TOpenLayoutsObserver, public TLayoutUi {
  public:
    bool AskSavePath(KString&) override { return false; }
    void SetBusy(bool on) override { events.push_back(on ? "busy" : "idle"); }
    void LayoutOpened(TLayout&) override { events.push_back("opened"); }
    void LayoutClosing(TLayout&) override { events.push_back("closing"); }
    void BringToFront(TLayout&) override { events.push_back("front"); }
    void LayoutAlert(int32_t code, const KString& path) override {
        events.push_back("alert " + std::to_string(code) + " " + KUtf8Of(path));
    }
    std::vector<std::string> events;
};

// One text object bound to "Time" at (10, 10), 100 × 50: a layout 120 × 70.
const char* const kTimeLayout = R"({"objects": [{"class": "TTextObject", "field": "Time",
                                    "x": 10, "y": 10, "width": 100, "height": 50}]})";

class OpenLayoutsTest : public ::testing::Test {
  protected:
    OpenLayoutsTest() {
        ApplyDefaultSettings(settings);
        layouts.SetObserver(&observer);
    }

    // Writes a layout file from its JSON form; its path.
    std::string Write(const std::string& name, const std::string& json) {
        const std::string path = WriteLayoutFile(folder, name, json);
        EXPECT_FALSE(path.empty());
        return path;
    }
    int32_t Open(const std::string& path) { return layouts.OpenLayout(KTestText(path)); }
    void Run(const std::string& line) { remote.RunRemoteLine(KTestText(line)); }
    void SetInt(const char* path, int32_t value) {
        settings.FindInt(KTestText(path))->value = value;
    }
    static const TTextObject& Text(const TLayout* layout, int index = 0) {
        return dynamic_cast<const TTextObject&>(*layout->State().objects.At(index));
    }
    std::vector<std::string> Events() { return std::exchange(observer.events, {}); }

    KTestFolder folder;
    KRegistry settings;
    KVirtualClock clock;
    RecordingScreen screen;
    RecordingObserver observer;
    TOpenLayouts layouts{settings, screen, nullptr, clock};
    TRemoteCommands remote{settings, layouts, screen};
};

TEST_F(OpenLayoutsTest, OpeningClosingAndTheWindowMenu) {
    const std::string results = Write("Results.tly", kTimeLayout);
    const std::string start = Write("Start List.tly", kTimeLayout);
    ASSERT_EQ(Open(results), 0);
    // The same file by another letter case only comes to the front.
    std::string upper = results;
    upper.replace(upper.size() - 11, 11, "RESULTS.TLY");
    EXPECT_EQ(Open(upper), 0);
    EXPECT_EQ(layouts.Count(), 1);
    EXPECT_EQ(Open(folder.Path("missing.tly")), kErrFileOpen);
    // A broken file is alerted with its error and opens nothing.
    const std::string broken = folder.Put("broken.tly", std::string("\x05\x00\x03\x00garbage", 11));
    const int32_t code = Open(broken);
    EXPECT_NE(code, 0);
    const std::string brokenJson = folder.Put("broken.json", R"({"objects": [{"class": )");
    const int32_t jsonCode = Open(brokenJson);
    EXPECT_NE(jsonCode, 0);
    EXPECT_EQ(layouts.Count(), 1);
    EXPECT_EQ(Open(start), 0);
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "opened", "front", "alert 3002 " + folder.Path("missing.tly"),
                            "alert " + std::to_string(code) + " " + broken,
                            "alert " + std::to_string(jsonCode) + " " + brokenJson, "opened"}));
    ASSERT_EQ(layouts.Count(), 2);
    TLayout* first = layouts.Window(1);
    TLayout* second = layouts.Window(2);
    EXPECT_EQ(layouts.FindByTitle(KTestText("start LIST")), second);
    EXPECT_EQ(layouts.FindByTitle(KTestText("Start")), nullptr);
    EXPECT_EQ(layouts.Window(3), nullptr);
    EXPECT_FALSE(first->IsModified());
    // Opening is not showing; the display window's menu shows at once.
    EXPECT_TRUE(screen.shown.empty());
    EXPECT_FALSE(layouts.ShowWindowCommand(10034));
    EXPECT_FALSE(layouts.ShowWindowCommand(10037));
    EXPECT_TRUE(layouts.ShowWindowCommand(10036));
    EXPECT_EQ(screen.shown.back(), std::make_pair(second, -1));

    // Closing the current layout shows none; closing another changes nothing shown.
    EXPECT_TRUE(layouts.Close(first));
    EXPECT_FALSE(layouts.Close(first));
    EXPECT_EQ(screen.shown.size(), 1u);
    EXPECT_EQ(layouts.Window(1), second);
    EXPECT_TRUE(layouts.Close(second));
    EXPECT_EQ(screen.shown.back(), std::make_pair(static_cast<TLayout*>(nullptr), -1));
    EXPECT_EQ(Events(), (std::vector<std::string>{"closing", "closing"}));
}

// Opening a file, at start-up, on request or by the user, shows the busy
// cursor while the file is read, whether it opens or not.
TEST_F(OpenLayoutsTest, TheCursorIsBusyWhileALayoutLoads) {
    layouts.SetUi(&observer);
    ASSERT_EQ(Open(Write("a.tly", kTimeLayout)), 0);
    EXPECT_EQ(Open(folder.Path("missing.tly")), kErrFileOpen);
    EXPECT_EQ(Events(), (std::vector<std::string>{"busy", "idle", "opened", "busy", "idle",
                                                  "alert 3002 " + folder.Path("missing.tly")}));
}

TEST_F(OpenLayoutsTest, AHundredWindowsAtMost) {
    for (int i = 1; i <= TOpenLayouts::kMaxWindows; ++i)
        ASSERT_EQ(Open(Write(std::to_string(i) + ".tly", kTimeLayout)), 0);
    const std::string extra = Write("extra.tly", kTimeLayout);
    EXPECT_EQ(Open(extra), kErrOperationFailed);
    EXPECT_EQ(layouts.Count(), TOpenLayouts::kMaxWindows);
    EXPECT_EQ(Events().back(), "alert 1000 " + extra);
    EXPECT_TRUE(layouts.ShowWindowCommand(10134));
    EXPECT_EQ(screen.current, layouts.Window(100));
    EXPECT_EQ(layouts.NewLayout(), kErrOperationFailed);
}

TEST_F(OpenLayoutsTest, ANewLayoutIsAnUntitledEmptyWindowOfItsOwn) {
    TLayout::SetLayoutFolder(KTestText(folder.Path()));
    ASSERT_EQ(layouts.NewLayout(), 0);
    ASSERT_EQ(layouts.NewLayout(), 0);
    ASSERT_EQ(layouts.Count(), 2);
    EXPECT_EQ(Events(), (std::vector<std::string>{"opened", "opened"}));
    TLayout& first = *layouts.Window(1);
    EXPECT_TRUE(first.IsUntitled());
    EXPECT_FALSE(first.IsModified());
    EXPECT_EQ(first.State().objects.Count(), 0);
    EXPECT_FALSE(first.Path().Equals(layouts.Window(2)->Path()));
    TLayout::SetLayoutFolder(KString());
}

TEST_F(OpenLayoutsTest, MemorisedLayoutsRestoreUpToTheFirstGapSkippingFailures) {
    const std::string a = Write("a.tly", kTimeLayout);
    const std::string b = Write("b.tly", kTimeLayout);
    Open(a);
    ASSERT_EQ(layouts.NewLayout(), 0);  // never saved: not memorised
    Open(b);
    layouts.MemorizeLayouts();
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\2"))), b);
    EXPECT_EQ(settings.FindString(KTestText("\\Layout\\Open\\3")), nullptr);
    layouts.Close(layouts.Window(2));
    layouts.Close(layouts.Window(2));
    layouts.MemorizeLayouts();
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\1"))), a);
    EXPECT_EQ(settings.FindString(KTestText("\\Layout\\Open\\2")), nullptr);
    layouts.Close(layouts.Window(1));

    // Values 1 and 3 without 2: only the first opens, fitted to the display
    // because restoring is start-up (AutoResize bit 0).
    settings.ApplyLine(KTestText("\\Layout\\Open\\3:String=" + b));
    SetInt("\\Layout\\AutoResize", 1);
    layouts.RestoreLayouts();
    ASSERT_EQ(layouts.Count(), 1);
    EXPECT_EQ(KUtf8Of(layouts.Window(1)->Path()), a);
    EXPECT_EQ(Text(layouts.Window(1)).Width(), 200);
    // Opened later, bit 1 decides.
    layouts.Close(layouts.Window(1));
    Open(a);
    EXPECT_EQ(Text(layouts.Window(1)).Width(), 100);
    layouts.Close(layouts.Window(1));

    // A file that is not there (a drive not mounted yet) is alerted and
    // skipped; the restore goes on, and the file keeps its place among the
    // memorised layouts until it opens again.
    settings.ApplyLine(KTestText("\\Layout\\Open\\1:String=" + folder.Path("gone.tly")));
    settings.ApplyLine(KTestText("\\Layout\\Open\\2:String=" + b));
    settings.ApplyLine(KTestText("\\Layout\\Open\\3:String=" + a));
    Events();
    layouts.RestoreLayouts();
    ASSERT_EQ(layouts.Count(), 2);
    EXPECT_EQ(KUtf8Of(layouts.Window(1)->Path()), b);
    EXPECT_EQ(Events(), (std::vector<std::string>{"alert 3002 " + folder.Path("gone.tly"), "opened",
                                                  "opened"}));
    layouts.Close(layouts.Window(2));
    layouts.MemorizeLayouts();
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\1"))), folder.Path("gone.tly"));
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\2"))), b);
    EXPECT_EQ(settings.FindString(KTestText("\\Layout\\Open\\3")), nullptr);
    // Once there and open, it is memorised where it is open.
    const std::string back = Write("gone.tly", kTimeLayout);
    Open(back);
    layouts.MemorizeLayouts();
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\1"))), b);
    EXPECT_EQ(KUtf8Of(settings.StringOf(KTestText("\\Layout\\Open\\2"))), back);
    EXPECT_EQ(settings.FindString(KTestText("\\Layout\\Open\\3")), nullptr);
    while (layouts.Count() > 0) layouts.Close(layouts.Window(1));

    // Without bit 0 of RestoreOpen nothing is restored.
    settings.ApplyLine(KTestText("\\Layout\\Open\\1:String=" + a));
    SetInt("\\Layout\\RestoreOpen", 2);
    layouts.RestoreLayouts();
    EXPECT_EQ(layouts.Count(), 0);
}

// Three packet definitions (indexes 0, 1, 2), each filling "Time".
const char* const kThreeDefinitions =
    ";;A\nheader=A,length=1\ntrailer=\\0d,length=1\ntextfield=Time,length=4\n"
    ";;B\nheader=B,length=1\ntrailer=\\0d,length=1\ntextfield=Time,length=4\n"
    ";;C\nheader=C,length=1\ntrailer=\\0d,length=1\ntextfield=Time,length=4\n";

class SourceTest : public OpenLayoutsTest {
  protected:
    SourceTest() {
        folder.Put("three.rss", kThreeDefinitions);
        receiver.LoadScript(KTestText(folder.Path()), KTestText("three.rss"), 256);
        receiver.SetSinks(&layouts, nullptr, &remote);
    }
    // The bytes as a channel delivers them, read to the end.
    void Receive(const std::string& bytes) {
        KMemoryStream channel(bytes);
        channel.SetReadEncoding(KStream::kSingleByte);
        channel.SetReadLineEnd(0);
        while (receiver.ReceiveAvailable(channel)) {
        }
    }
    static std::string Value(const TLayout* layout) { return KUtf8Of(Text(layout).Value()); }

    TReceiver receiver;
};

TEST_F(SourceTest, EveryOpenLayoutTakesThePacketsItsRulesSelect) {
    // Selected sources with mask 0b100: definition 2 only.
    Open(Write("selected.tly", R"({"sourceMode": 1, "sourceMask": 4, "objects": [
        {"class": "TTextObject", "field": "Time"}]})"));
    // An object's own rule selecting nothing overrides a layout that takes all.
    Open(Write("override.tly", R"({"sourceMode": 0, "objects": [
        {"class": "TTextObject", "field": "Time", "flags": 3, "sourceMode": 1,
         "sourceMask": 0}]})"));
    Open(Write("all.tly", R"({"objects": [{"class": "TTextObject", "field": "Time"}]})"));
    TLayout* selected = layouts.Window(1);
    TLayout* override = layouts.Window(2);
    TLayout* all = layouts.Window(3);
    Receive("A1:00\rB2:00\r");
    EXPECT_EQ(Value(selected), "");
    EXPECT_EQ(Value(all), "2:00");
    Receive("C3:00\r");
    EXPECT_EQ(Value(selected), "3:00");
    EXPECT_EQ(Value(all), "3:00");
    Receive("A4:00\r");
    EXPECT_EQ(Value(selected), "3:00");
    EXPECT_EQ(Value(override), "");
    EXPECT_EQ(Value(all), "4:00");
}

TEST_F(SourceTest, ABlankLineRepeatsTheLastCommand) {
    Open(Write("keys.tly", R"({"objects": [{"class": "TTextObject", "trigger": "Start"}]})"));
    layouts.ShowWindowCommand(TOpenLayouts::kFirstWindowCommand);
    const TLayout* shown = layouts.Window(1);
    EXPECT_FALSE(Text(shown).IsVisible());
    // Lower case: the script's headers are capitals.
    Receive("command=trigger;name=start;action=toggle;\n");
    EXPECT_TRUE(Text(shown).IsVisible());
    Receive("\n");
    EXPECT_FALSE(Text(shown).IsVisible());
    Receive("\n");
    EXPECT_TRUE(Text(shown).IsVisible());
}

TEST_F(OpenLayoutsTest, TriggersReachTheCurrentLayoutAtTheClocksTime) {
    Open(Write("t.tly", R"({"objects": [
        {"class": "TTextObject", "trigger": "f1", "triggerTime": 3000},
        {"class": "TTextObject", "trigger": "S+C+F2"},
        {"class": "TTextObject", "trigger": "ABCDEFGHIJKLMNO"}]})"));
    TLayout* layout = layouts.Window(1);
    const TTextObject& timed = Text(layout, 0);
    // No layout shown: nothing fires.
    Run("Command=Trigger;Name=F1;Action=On;");
    EXPECT_FALSE(timed.IsVisible());
    screen.ShowLayout(layout, -1);

    clock.SetMs(10000);
    Run("command=TRIGGER;name=F1;action=on");
    EXPECT_TRUE(timed.IsVisible());
    clock.SetMs(11000);
    Run("Command=Trigger;Name=F1;Action=Bogus");  // an unknown action is On: restarts
    clock.SetMs(13999);
    layouts.TickCurrent();
    EXPECT_TRUE(timed.IsVisible());
    clock.SetMs(14000);
    layouts.TickCurrent();
    EXPECT_FALSE(timed.IsVisible());

    // Off without a name does nothing; with one it hides.
    Run("Command=Trigger;Name=F1");
    Run("Command=Trigger;Action=Off;");
    Run("Command=Trigger;Name=;Action=Off;");
    EXPECT_TRUE(timed.IsVisible());
    Run("Command=Trigger;Name=F1;Action=Off;");
    EXPECT_FALSE(timed.IsVisible());
    // A name longer than any trigger matches none, even by its beginning.
    Run("Command=Trigger;Name=ABCDEFGHIJKLMNOP");
    EXPECT_FALSE(Text(layout, 2).IsVisible());
    Run("Command=Trigger;Name=abcdefghijklmno");
    EXPECT_TRUE(Text(layout, 2).IsVisible());

    // Keys toggle: Ctrl+Shift+F2 twice shows and hides an untimed object.
    KString15 name;
    ASSERT_TRUE(KeyTriggerName(2, 0, kKeyCtrl | kKeyShift, name));
    TTrigger key;
    key.name = name;
    key.action = TTrigger::kToggle;
    layouts.FireTrigger(screen.CurrentLayout(), key);
    EXPECT_TRUE(Text(layout, 1).IsVisible());
    layouts.FireTrigger(screen.CurrentLayout(), key);
    EXPECT_FALSE(Text(layout, 1).IsVisible());
}

TEST(KeyTriggerName, ModifiersThenCharacterOrFunctionKey) {
    KString15 name;
    auto Name = [&](int32_t function, KChar c, uint32_t modifiers) {
        return KeyTriggerName(function, c, modifiers, name) ? KUtf8Of(name) : "-";
    };
    EXPECT_EQ(Name(2, 0, kKeyShift | kKeyCtrl), "S+C+F2");
    EXPECT_EQ(Name(5, 0, kKeyCtrl), "C+F5");
    EXPECT_EQ(Name(24, 0, kKeyAlt | kKeyCtrl | kKeyShift), "S+C+A+F24");
    EXPECT_EQ(Name(0, u'a', 0), "a");
    EXPECT_EQ(Name(0, u'A', kKeyShift), "S+A");
    EXPECT_EQ(Name(0, u' ', 0), " ");
    EXPECT_EQ(Name(0, 127, 0), "\x7f");
    EXPECT_EQ(Name(25, 0, 0), "-");
    EXPECT_EQ(Name(0, 31, kKeyCtrl), "-");
    EXPECT_EQ(Name(0, 128, 0), "-");
    EXPECT_EQ(Name(0, u'\u00e9', 0), "-");
    EXPECT_TRUE(name.IsEmpty());
}

TEST_F(OpenLayoutsTest, LayoutDrawChoosesByNameWindowOrCurrent) {
    Open(Write("Results.tly", kTimeLayout));
    Open(Write("Start List.tly", kTimeLayout));
    TLayout* results = layouts.Window(1);
    TLayout* start = layouts.Window(2);
    // No current layout and no window chosen: nothing.
    Run("Command=LayoutDraw;Window=7");
    EXPECT_TRUE(screen.shown.empty());

    SetInt("\\Sources\\LayoutDrawDelay", 1500);
    Run("command=layoutdraw;window=2");
    EXPECT_EQ(screen.shown.back(), std::make_pair(start, 1500));
    // A title that names no window falls back to the window number.
    Run("Command=LayoutDraw;Name=Heats;Window=1;Delay=-1");
    EXPECT_EQ(screen.shown.back(), std::make_pair(results, -1));
    Run("Command=LayoutDraw;Name=start list;Window=1;Delay=0,5");
    EXPECT_EQ(screen.shown.back(), std::make_pair(start, 0));
    // Neither: the current layout again, with the default delay when Delay does not parse.
    Run("Command=LayoutDraw;Window=9;Delay=x");
    EXPECT_EQ(screen.shown.back(), std::make_pair(start, 1500));

    TTextObject& value = const_cast<TTextObject&>(Text(start));
    value.SetValue(nullptr);
    auto Fill = [&] {
        TFields packet(nullptr, 16);
        TField field(&packet);
        field.value = KTestText("9.99");
        value.SetValue(&field);
    };
    Fill();
    Run("Command=LayoutDraw;Delay=0;Clear=1");
    EXPECT_EQ(KUtf8Of(value.Value()), "9.99");
    Run("Command=LayoutDraw;Delay=0;Clear=2");
    EXPECT_EQ(KUtf8Of(value.Value()), "");
    Fill();
    Run("Command=LayoutDraw;Window=1;Clear=1");
    Run("Command=LayoutDraw;Window=2;Clear=1");
    EXPECT_EQ(KUtf8Of(value.Value()), "");
    const size_t calls = screen.shown.size();
    Run("Command=Draw;Window=1");
    Run("Window=1");
    Run("Command =LayoutDraw;Window=1");
    EXPECT_EQ(screen.shown.size(), calls);
}

// The item walk agrees with KString::Field on every small line of the
// characters that matter, and stays linear on hostile lines.
TEST(RemoteValue, ItemsAsFieldSplitsThemInLinearTime) {
    const std::string alphabet = "\";= ak";
    const KString key(u"a");
    for (uint32_t n = 0; n < 6 * 6 * 6 * 6 * 6 * 6 * 6; ++n) {
        std::string text;
        for (uint32_t v = n; v; v /= 6) text += alphabet[v % 6];
        const KString line = KTestText(text);
        KString expected;
        bool found = false;
        KString item;
        for (int32_t from = 0; !found && (item.Empty(), line.NextField(item, &from, u';'));) {
            if (item.Length() > 1 && item.CharAt(0) == u'a' && item.CharAt(1) == u'=') {
                item.SubString(expected, 2, item.Length());
                found = true;
            }
        }
        KString value;
        ASSERT_EQ(TRemoteCommands::RemoteValue(line, key, value, -1), found) << text;
        ASSERT_TRUE(value.Equals(expected)) << text;
    }
    KString out;
    const KString line(u"x=1; \"Name=a;b\" ;NAME=2;Window=\"3,4\",5;");
    EXPECT_TRUE(TRemoteCommands::RemoteValue(line, KString(u"name"), out, -1));
    EXPECT_EQ(KUtf8Of(out), "a;b");
    out.Empty();
    EXPECT_TRUE(TRemoteCommands::RemoteValue(line, KString(u"Window"), out, 1));
    EXPECT_EQ(KUtf8Of(out), "5");
    EXPECT_FALSE(TRemoteCommands::RemoteValue(line, KString(u"Window"), out, 2));
    EXPECT_FALSE(TRemoteCommands::RemoteValue(line, KString(u"Nam"), out, -1));

    // A megabyte of opening quotes that never close, and 10,000 items: read
    // once each (quadratic work would outlast the test's time limit).
    std::u16string hostile;
    for (int i = 0; i < (1 << 20) / 3; ++i) hostile += u"\"a;";
    hostile += u"Command=Trigger;Name=x";
    out.Empty();
    const KString big(hostile.data(), static_cast<int32_t>(hostile.size()));
    EXPECT_TRUE(TRemoteCommands::RemoteValue(big, KString(u"Name"), out, -1));
    EXPECT_EQ(KUtf8Of(out), "x");
    std::u16string many;
    for (int i = 0; i < 10000; ++i) many += u"Delay=\"" + std::u16string(90, u'9') + u";";
    out.Empty();
    const KString items(many.data(), static_cast<int32_t>(many.size()));
    EXPECT_FALSE(TRemoteCommands::RemoteValue(items, KString(u"Command"), out, -1));
}

TEST_F(OpenLayoutsTest, UnsavedChangesAreRecoveredIntoModifiedWindows) {
    TLayout::SetLayoutFolder(KTestText(folder.Path()));
    const std::string heat = Write("heat.tly", kTimeLayout);
    ASSERT_EQ(Open(heat), 0);
    ASSERT_EQ(Open(Write("other.tly", kTimeLayout)), 0);
    ASSERT_EQ(layouts.NewLayout(), 0);
    layouts.Window(1)->State().objects.Head()->SetPosition(33, 44);
    layouts.Window(3)->AddObject(1);
    TLayoutRecovery recovery(folder.Path());
    ASSERT_TRUE(recovery.Write(layouts));
    ASSERT_TRUE(recovery.Exists());
    // The program ends without saving; the next one recovers both changes.
    while (layouts.Count() > 0) layouts.Close(layouts.Window(1));
    Events();
    EXPECT_EQ(recovery.Restore(layouts), 2);
    EXPECT_FALSE(recovery.Exists());
    ASSERT_EQ(layouts.Count(), 2);
    const TLayout& named = *layouts.Window(1);
    EXPECT_TRUE(named.Path().Equals(KTestText(heat)));
    EXPECT_TRUE(named.IsModified());
    EXPECT_EQ(named.State().objects.Head()->X(), 33);
    EXPECT_TRUE(layouts.Window(2)->IsUntitled());
    EXPECT_EQ(layouts.Window(2)->State().objects.Count(), 1);
    EXPECT_EQ(Events(), (std::vector<std::string>{"opened", "opened"}));
    // Nothing modified: no file. A broken file recovers nothing, and goes.
    layouts.Window(1)->ClearModified();
    layouts.Window(2)->ClearModified();
    EXPECT_TRUE(recovery.Write(layouts));
    EXPECT_FALSE(recovery.Exists());
    for (const char* bad : {"{\"layouts\": [{\"path\": 3, \"layout\": {\"objects\": 1}}]}", "[]",
                            "{\"layouts\": [{\"untitled\": \"x\", \"layout\": {}}]}"}) {
        folder.Put(TLayoutRecovery::kFileName, bad);
        recovery.Restore(layouts);
        EXPECT_FALSE(recovery.Exists());
    }
    EXPECT_EQ(layouts.Count(), 3);  // the last one: an empty untitled layout
    TLayout::SetLayoutFolder(KString());
}

}  // namespace
