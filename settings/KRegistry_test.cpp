#include "KRegistry.h"

#include <gtest/gtest.h>

#include <string>

#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "SettingsTestSupport.h"

namespace {

class Registry : public ::testing::Test {
  protected:
    void Apply(const std::string& line) { registry.ApplyLine(KTestText(line)); }
    KRNode* Find(const std::string& path) { return registry.Find(KTestText(path)); }
    std::string Lines() {
        KMemoryStream out;
        out.SetWriteEncoding(KStream::kNative);
        out.SetWriteLineEnd(KStream::kLineLF);
        registry.Write(out);
        return out.Bytes();
    }
    KRegistry registry;
};

TEST_F(Registry, GroupsAreNeverImplicit) {
    Apply("Display\\AntiAlias\\Enable:Int=75");
    EXPECT_EQ(Find("\\Display\\AntiAlias\\Enable"), nullptr);
    Apply("Display\\:=");
    Apply("Display\\AntiAlias\\Enable:Int=75");
    EXPECT_EQ(Find("\\Display\\AntiAlias\\"), nullptr);
    Apply("Display\\AntiAlias\\:=");
    Apply("Display\\AntiAlias\\Enable:Int=75");
    EXPECT_EQ(ValueText(Find("\\Display\\AntiAlias\\Enable")), "75");
    EXPECT_NE(registry.FindGroup(KTestText("\\Display\\AntiAlias\\")), nullptr);
}

TEST_F(Registry, TypesDecideCreationNotAssignment) {
    Apply("Display\\:=");
    Apply("Display\\Width:Int=640");
    Apply("Display\\Width:String=800");
    EXPECT_EQ(ValueText(registry.FindInt(KTestText("\\Display\\Width"))), "800");
    Apply("NewName:String=x");
    EXPECT_EQ(KUtf8Of(registry.StringOf(KTestText("\\NewName"))), "x");
    Apply("Other:Strng=x");
    EXPECT_EQ(Find("\\Other"), nullptr);
    Apply("Broken:Int=abc");  // a value that does not parse creates nothing
    EXPECT_EQ(Find("\\Broken"), nullptr);
    Apply("NoValue:Int");
    EXPECT_EQ(Find("\\NoValue"), nullptr);
    EXPECT_EQ(registry.FindString(KTestText("\\Display\\Width")), nullptr);
    EXPECT_TRUE(registry.StringOf(KTestText("\\Missing")).IsEmpty());
}

TEST_F(Registry, FindIgnoresCaseAndNeedsWholeNames) {
    Apply("Display\\:=");
    Apply("Display\\Width:Int=640");
    EXPECT_EQ(Find("\\display\\WIDTH"), Find("\\Display\\Width"));
    EXPECT_NE(Find("\\Display\\Width"), nullptr);
    EXPECT_EQ(Find("\\Display\\Width2"), nullptr);
    EXPECT_EQ(Find("\\Display\\Wid"), nullptr);
    EXPECT_EQ(Find("Display\\Width:Int=5"), nullptr);  // Find never applies
    EXPECT_EQ(ValueText(Find("\\Display\\Width")), "640");
    Apply("AVeryLongSettingName:Int=1");  // names are cut to 15 characters
    EXPECT_EQ(Find("\\AVeryLongSettingName"), nullptr);
    EXPECT_NE(Find("\\AVeryLongSettin"), nullptr);
}

TEST_F(Registry, TypeTextsAndValuesRoundTrip) {
    Apply("Limits:Int,1,5,=7");
    Apply("Range:Int,2,0,100=50");
    Apply("Flag:Bool=0x10");
    Apply("Ratio:Rat=1 1/2");
    Apply("Quarter:Rat=0.75");
    Apply("Zero:Rat=3/0");
    Apply("Neg:Rat=-7/4");
    Apply("Scale:Float=2.5");
    Apply("Text:String=a,b=c:d");
    Apply("Colors\\:Palette,3=");
    EXPECT_EQ(Find("\\Zero"), nullptr);
    EXPECT_EQ(Lines(),
              "Registry Version: 1.00\n"
              "\\:,1=\n"
              "\\Limits:Int,1,5,=7\n"
              "\\Range:Int,2,0,100=50\n"
              "\\Flag:Bool,1=1\n"
              "\\Ratio:Rat,1=1 1/2\n"
              "\\Quarter:Rat,1=3/4\n"
              "\\Neg:Rat,1=-1 3/4\n"
              "\\Scale:Float,1,,=2.500000\n"
              "\\Text:String,1=a,b=c:d\n"
              "\\Colors\\:Palette,3=\n");
    KMemoryStream back(Lines());
    KRegistry copy;
    copy.Read(back);
    KMemoryStream again;
    again.SetWriteEncoding(KStream::kNative);
    again.SetWriteLineEnd(KStream::kLineLF);
    copy.Write(again);
    EXPECT_EQ(again.Bytes(), Lines());
}

TEST_F(Registry, RationalText) {
    auto parse = [](const char16_t* text) {
        KString s(text);
        KRational r;
        KString out;
        if (KRRat::ParseRational(s, &r)) KRRat::AppendRational(out, r);
        return KUtf8Of(out);
    };
    EXPECT_EQ(parse(u"2/1"), "2");
    EXPECT_EQ(parse(u"6/8"), "3/4");
    EXPECT_EQ(parse(u"0"), "0");
    EXPECT_EQ(parse(u"-0.5"), "-1/2");
    EXPECT_EQ(parse(u"2 x"), "2");  // a broken fraction leaves the whole part
    EXPECT_EQ(parse(u"1/"), "");
    EXPECT_EQ(parse(u"x"), "");
    EXPECT_EQ(parse(u"0.0000000001"), "");  // more than an int32 fraction holds
    EXPECT_EQ(parse(u"99999999999"), "");
}

TEST_F(Registry, HooksSeeEveryChange) {
    Apply("Count:Int=1");
    Apply("Name:String=a");
    auto* count = registry.FindInt(KTestText("\\Count"));
    auto* name = registry.FindString(KTestText("\\Name"));
    int calls = 0;
    count->SetHook([&calls](KRInt& s, int32_t v) {
        ++calls;
        s.value = v * 2;
    });
    Apply("Count:Int=4");
    EXPECT_EQ(count->value, 8);
    EXPECT_EQ(calls, 1);
    count->SetHook({});
    count->Set(3);
    EXPECT_EQ(count->value, 3);
    name->SetHook([](KRString&, const KString& v) { return v.Length() < 4; });
    Apply("Name:String=toolong");
    EXPECT_EQ(KUtf8Of(name->value), "a");
    EXPECT_TRUE(name->nodeFlags & KRNode::kAssigned);
}

TEST_F(Registry, DeletedAndTransientNodesAreNotSaved) {
    Apply("Keep\\:=");
    Apply("Keep\\A:Int=1");
    Apply("Gone\\:=");
    Apply("Gone\\B:Int=2");
    Apply("Temp:Int=3");
    registry.FindGroup(KTestText("\\Gone\\"))->nodeFlags |= KRNode::kDeleted;
    registry.Find(KTestText("\\Temp"))->nodeFlags &= ~KRNode::kPersistent;
    EXPECT_EQ(Lines(), "Registry Version: 1.00\n\\:,1=\n\\Keep\\:,1=\n\\Keep\\A:Int,1,,=1\n");
}

TEST_F(Registry, HeaderOnlyAndHostileFiles) {
    Apply("Display\\:=");
    Apply("Display\\Width:Int=640");
    KMemoryStream header("Registry Version: 1.00\n");
    registry.Read(header);
    EXPECT_EQ(ValueText(Find("\\Display\\Width")), "640");
    static const char kJunk[] = "x\n\\\\\n:::==\n\\Display\\:\n\0\0\n\\Display\\Width:Int=12";
    KMemoryStream junk(std::string(kJunk, sizeof kJunk - 1));
    registry.Read(junk);
    EXPECT_EQ(ValueText(Find("\\Display\\Width")), "12");
}

}  // namespace
