#include "KVideoValue.h"

#include <gtest/gtest.h>

#include "KTestSupport.h"

namespace {

const char16_t* const kWords[] = {u"Left", u"Center", u"Right", u"Top", u"Bottom"};
const char16_t* const kStretch[] = {u"Off", u"On", u"OnKA"};

TEST(KVideoValue, IntegersFromTheLeftWithEmptyFieldsSkipped) {
    const KString text = KTestText("0x1F,017,-12,,+5,7x,abc,0");
    KVideoValue value(text);
    int32_t n = 99;
    EXPECT_TRUE(value.Int(&n));
    EXPECT_EQ(n, 31);
    EXPECT_TRUE(value.Int(&n));
    EXPECT_EQ(n, 15);
    EXPECT_TRUE(value.Int(&n));
    EXPECT_EQ(n, -12);
    EXPECT_FALSE(value.Int(&n));  // the empty field is consumed and changes nothing
    EXPECT_EQ(n, -12);
    EXPECT_TRUE(value.Int(&n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(value.Int(&n));  // leading digits are the number
    EXPECT_EQ(n, 7);
    EXPECT_FALSE(value.Int(&n));
    EXPECT_TRUE(value.Int(&n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(value.AtEnd());
    EXPECT_FALSE(value.Int(&n));
}

TEST(KVideoValue, WordsArePrefixesTriedInOrder) {
    int32_t n = -1;
    auto word = [&](const char* text, const char16_t* const* words, int count) {
        const KString s = KTestText(text);
        KVideoValue value(s);
        n = -1;
        return value.Word(words, count, &n);
    };
    EXPECT_TRUE(word("c", kWords, 5));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(word("BOTTOM", kWords, 5));
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(word("t", kWords, 5));
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(word("", kWords, 5));
    EXPECT_FALSE(word("Lefty", kWords, 5));
    EXPECT_FALSE(word(" Left", kWords, 5));
    EXPECT_TRUE(word("On", kStretch, 3));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(word("OnKA", kStretch, 3));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(word("O", kStretch, 3));
    EXPECT_EQ(n, 0);
}

TEST(KVideoValue, ColoursByNameOrThreeIntegers) {
    auto color = [](const char* text, KColor* c) {
        const KString s = KTestText(text);
        KVideoValue value(s);
        return value.Color(c);
    };
    KColor c = 77;
    EXPECT_TRUE(color("Bl", &c));
    EXPECT_EQ(c, kColorBlack);
    EXPECT_TRUE(color("B", &c));
    EXPECT_EQ(c, kColorBackground);
    EXPECT_TRUE(color("yellow", &c));
    EXPECT_EQ(c, kColorYellow);
    EXPECT_TRUE(color("255,128,0", &c));
    EXPECT_EQ(c, KColorRGB(255, 128, 0));
    EXPECT_TRUE(color("0x1FF,-1,010", &c));  // low 8 bits of each
    EXPECT_EQ(c, KColorRGB(0xFF, 0xFF, 8));
    c = 77;
    EXPECT_FALSE(color("255,128", &c));
    EXPECT_FALSE(color("Purple", &c));
    EXPECT_FALSE(color("", &c));
    EXPECT_EQ(c, 77u);
}

}  // namespace
