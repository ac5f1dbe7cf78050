#include "TTextObject.h"

#include <gtest/gtest.h>

#include "KTestSupport.h"
#include "TFields.h"
#include "TLayout.h"
#include "TTrigger.h"

namespace {

std::string Drawn(const TTextObject& text) {
    KString out;
    text.GetDrawnText(out);
    return KUtf8Of(out);
}

TTrigger Fire(const char* name, int32_t action) {
    TTrigger t;
    t.name = KTestText(name);
    t.action = action;
    return t;
}

TEST(TTextObject, ANewTextObjectShowsItsValueOnOneLineOfItsFont) {
    TLayout layout;
    auto& text = *static_cast<TTextObject*>(layout.AddObject(0));
    EXPECT_TRUE(text.IsDynamic());
    EXPECT_EQ(KUtf8Of(text.Text()), "%s");
    EXPECT_EQ(text.Font().Size(), 34);
    EXPECT_EQ(text.Width(), 150);
    EXPECT_EQ(text.Height(), 34);
    EXPECT_EQ(text.Id(), 1);

    text.SetSize(200, 300);
    EXPECT_EQ(text.Width(), 200);
    EXPECT_EQ(text.Height(), 34);
    text.SetLines(0);
    EXPECT_EQ(text.Lines(), 1);
    text.SetLines(40);
    EXPECT_EQ(text.Lines(), 25);
    EXPECT_EQ(text.Height(), 34 * 25);
    text.SetLines(3);
    text.SetLineSpace(-50);  // lines may touch, never overlap past their size
    EXPECT_EQ(text.Height(), 34 * 3 - 34 * 2);
    text.SetLineSpace(6);
    EXPECT_EQ(text.Height(), 34 * 3 + 12);
    text.SetSize(5, 5);
    EXPECT_EQ(text.Width(), 10);
}

TEST(TTextObject, TheDrawnTextIsTheTextFormattedWithTheValue) {
    TLayout layout;
    auto& text = *static_cast<TTextObject*>(layout.AddObject(0));
    EXPECT_EQ(Drawn(text), "");
    text.SetText(KTestText("Lane %s"));
    EXPECT_EQ(Drawn(text), "Lane ");
    TFields definition(nullptr, 64);
    TField field(&definition);
    field.value = KTestText("4");
    text.SetValue(&field);
    EXPECT_EQ(Drawn(text), "Lane 4");
    text.ClearValue();
    EXPECT_EQ(Drawn(text), "Lane ");
}

TEST(TTextObject, ATriggerShowsTheObjectForItsTime) {
    TLayout layout;
    auto& text = *static_cast<TTextObject*>(layout.AddObject(0));
    text.SetText(KTestText("Official"));
    text.SetTrigger(KTestText("f1"));
    text.SetTriggerTime(3000);
    EXPECT_FALSE(text.IsVisible());
    EXPECT_EQ(Drawn(text), "");

    EXPECT_FALSE(text.Trigger(Fire("F2", TTrigger::kOn), 1000));
    EXPECT_TRUE(text.Trigger(Fire("F1", TTrigger::kOn), 1000));
    EXPECT_EQ(Drawn(text), "Official");
    text.Trigger(Fire("F1", TTrigger::kOn), 2000);  // starts the three seconds again
    text.Tick(4500);
    EXPECT_TRUE(text.IsVisible());
    text.Tick(5000);
    EXPECT_FALSE(text.IsVisible());

    text.SetTriggerTime(0);
    text.Trigger(Fire("F1", TTrigger::kToggle), 6000);
    EXPECT_TRUE(text.IsVisible());
    text.Tick(1000000);
    EXPECT_TRUE(text.IsVisible());
    text.Trigger(Fire("F1", TTrigger::kToggle), 7000);
    EXPECT_FALSE(text.IsVisible());
}

TEST(TTextObject, InfoAndLabel) {
    TLayout layout;
    auto& text = *static_cast<TTextObject*>(layout.AddObject(0));
    text.SetTrigger(KTestText("F1"));
    text.SetLocalOverride(true);
    text.SetField(KTestText("Time"));
    KString info, label;
    text.GetInfo(info);
    EXPECT_EQ(KUtf8Of(info), "DYN | TXT | TRG \"F1\" | OVR");
    text.GetLabel(label);
    EXPECT_EQ(KUtf8Of(label), "Time");
    text.SetDynamic(false);
    label.Empty();
    text.GetLabel(label);
    EXPECT_EQ(KUtf8Of(label), "%s");
}

}  // namespace
