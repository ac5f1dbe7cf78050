#include "TLayoutJson.h"

#include <gtest/gtest.h>

#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "TBitmapObject.h"
#include "TLayout.h"
#include "TTextObject.h"
#include "TVideoDisplayObject.h"

namespace {

using Json = TLayoutJson::Json;

std::string FileBytes(const TLayout& layout) {
    KMemoryStream stream;
    layout.Write(stream);
    return stream.Bytes();
}

// The error FromJson gives for the document, or "" when it reads.
std::string ErrorOf(const std::string& text) {
    TLayout layout;
    try {
        TLayoutJson::FromJson(Json::parse(text), layout);
    } catch (const TLayoutJsonError& e) {
        return e.what();
    }
    return "";
}

TEST(TLayoutJson, MissingKeysTakeTheDefaultsOfNewObjects) {
    TLayout layout;
    TLayoutJson::FromJson(Json::parse(R"({"objects": [
        {"class": "TTextObject", "x": 20, "font": {"size": 50}},
        {"class": "TTextObject", "height": 7, "text": "Lane %s"},
        {"class": "TBitmapObject", "file": "logo.tga", "flags": 0}]})"),
                          layout);
    EXPECT_EQ(layout.State().background, kColorBlue);
    EXPECT_EQ(layout.LastId(), 3);
    const auto* first = static_cast<const TTextObject*>(layout.FindById(1));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->X(), 20);
    EXPECT_EQ(first->Y(), 10);
    EXPECT_EQ(first->Height(), 50);
    EXPECT_TRUE(first->IsDynamic());
    const auto* second = static_cast<const TTextObject*>(layout.FindById(2));
    EXPECT_EQ(second->Height(), 7);  // stored as given
    EXPECT_EQ(KUtf8Of(second->Text()), "Lane %s");
    const auto* bitmap = static_cast<const TBitmapObject*>(layout.FindById(3));
    EXPECT_EQ(KUtf8Of(bitmap->Format()), "%s.tga");
    EXPECT_FALSE(bitmap->IsDynamic());
}

// A layout that counts the change reports it receives; each one goes on to
// every object of the layout.
class CountingLayout : public TLayout {
  public:
    void Notify(const KMessage& message) override {
        ++reports;
        TLayout::Notify(message);
    }
    int reports = 0;
};

// Importing reports the new objects once, not once per object: the cost of
// the reports would otherwise grow with the square of the objects.
TEST(TLayoutJson, AnImportReportsItsObjectsOnce) {
    Json document = Json::parse(R"({"objects": []})");
    for (int i = 0; i < 100; ++i) document["objects"].push_back({{"class", "TTextObject"}});
    CountingLayout layout;
    TLayoutJson::FromJson(document, layout);
    EXPECT_EQ(layout.reports, 1);
    EXPECT_EQ(layout.State().objects.Count(), 100);
    EXPECT_EQ(layout.LastId(), 100);
    EXPECT_NE(layout.FindById(100), nullptr);
    EXPECT_TRUE(layout.IsModified());

    CountingLayout empty;
    TLayoutJson::FromJson(Json::parse(R"({"objects": []})"), empty);
    EXPECT_EQ(empty.reports, 0);
}

TEST(TLayoutJson, ColoursByNameByValueAndByNumber) {
    TLayout layout;
    TLayoutJson::FromJson(Json::parse(R"({"background": "#a0b1C2", "objects": [
        {"class": "TTextObject", "font": {"face": "Yellow", "border": 11, "shadow": 2147483649,
                                          "back": "Background"}}]})"),
                          layout);
    EXPECT_EQ(layout.State().background, KColorRGB(0xA0, 0xB1, 0xC2));
    const auto& font = static_cast<const TTextObject*>(layout.FindById(1))->Font();
    EXPECT_EQ(font.face, kColorYellow);
    EXPECT_EQ(font.border, 11u);
    EXPECT_EQ(font.shadow, 0x80000001u);
    const Json out = TLayoutJson::ToJson(layout, TLayout::kVersion);
    EXPECT_EQ(out["background"], "#A0B1C2");
    EXPECT_EQ(out["objects"][0]["font"]["face"], "Yellow");
    EXPECT_EQ(out["objects"][0]["font"]["border"], 11);
    EXPECT_EQ(out["objects"][0]["font"]["shadow"], "#000001");
    EXPECT_EQ(out["version"], 0x30005);
}

TEST(TLayoutJson, ErrorsNameTheKeyAndTheObject) {
    EXPECT_EQ(
        ErrorOf(
            R"({"objects": [{"class": "TTextObject"}, {"class": "TTextObject", "colour": 1}]})"),
        "objects[1]: key \"colour\": is unknown");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TTextObject", "x": "20"}]})"),
              "objects[0]: key \"x\": must be an integer");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TTextObject", "font": {"size": 1.5}}]})"),
              "objects[0]: key \"font\": key \"size\": must be an integer");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TBitmapObject", "blackTransparent": 1}]})"),
              "objects[0]: key \"blackTransparent\": must be true or false");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TFancyObject"}]})"),
              "objects[0]: key \"class\": names no object class: TFancyObject");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"x": 1}]})"), "objects[0]: key \"class\": is missing");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TTextObject", "flags": -1}]})"),
              "objects[0]: key \"flags\": must be an unsigned 32-bit integer");
    EXPECT_EQ(ErrorOf(R"({"objects": [{"class": "TTextObject", "lines": 26}]})"),
              "objects[0]: key \"lines\": must lie in 1..25");
    EXPECT_EQ(ErrorOf(R"({"background": "#12345"})"), "key \"background\": is no colour: #12345");
    EXPECT_EQ(ErrorOf(R"({"background": "#12345g"})"), "key \"background\": is no colour: #12345g");
    EXPECT_EQ(ErrorOf(R"({"lastId": 4294967296})"), "key \"lastId\": is out of range");
    EXPECT_EQ(ErrorOf(R"({"objects": {}})"), "key \"objects\": must be a list");
    EXPECT_EQ(ErrorOf(R"([])"), ": must be an object");
    EXPECT_EQ(ErrorOf(R"({"objects": [3]})"), "objects[0]: must be an object");
}

TEST(TLayoutJson, FileToJsonToFileGivesTheSameBytes) {
    TLayout source;
    auto* text = static_cast<TTextObject*>(source.AddObject(0));
    text->SetText(KTestText("Zeit \xE2\x80\x93 %s"));
    text->SetTrigger(KTestText("S+C+F2"));
    text->SetLines(3);
    text->SetLineSpace(-2);
    K3DFontInfo font(text->Font());
    font.SetFaceName(KTestText("Sport"));
    font.face = KColorRGB(255, 128, 0);
    font.SetSqueeze(true);
    text->SetFont(font);
    text->SetLocalOverride(true);
    text->SelectSource(3, true);
    auto* bitmap = static_cast<TBitmapObject*>(source.AddObject(1));
    bitmap->SetDynamic(true);
    bitmap->SetFormat(KTestText("flags/%s.gif"));
    bitmap->SetSpeed(-50);
    auto* video = static_cast<TVideoDisplayObject*>(source.AddObject(2));
    video->SetRotate(2);
    video->SetBlackTransparent(true);
    source.SetReserved(-9);
    source.SetBackground(0x7FFFFFFF);
    source.SelectSource(0, true);

    const Json json = TLayoutJson::ToJson(source, TLayout::kVersion);
    TLayout back;
    TLayoutJson::FromJson(Json::parse(json.dump()), back);
    EXPECT_EQ(FileBytes(back), FileBytes(source));
    EXPECT_EQ(TLayoutJson::ToJson(back, TLayout::kVersion), json);
}

}  // namespace
