#include "KUtf8.h"

#include <gtest/gtest.h>

namespace {

std::u16string Units(const std::string& utf8) {
    KString s;
    KAppendUtf8(s, utf8);
    return std::u16string(s.Chars(), s.Length());
}

TEST(KUtf8, DecodesEveryLengthAndSplitsAstralCodePoints) {
    EXPECT_EQ(Units("A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8F\x81"), u"Aä€\U0001F3C1");
    EXPECT_EQ(Units(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(KUtf8, MalformedBytesBecomeReplacementOneByOne) {
    EXPECT_EQ(Units("\xC3"), u"\uFFFD");  // truncated
    EXPECT_EQ(Units("\xE2\x82"
                    "A"),
              u"\uFFFD\uFFFDA");                              // truncated, then resynchronised
    EXPECT_EQ(Units("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(Units("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(Units("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
    EXPECT_EQ(Units("\xFF"
                    "z"),
              u"\uFFFDz");
}

TEST(KUtf8, EncodesPairsOrEachUnitOnItsOwn) {
    KString s(u"ä€\U0001F3C1");
    EXPECT_EQ(KUtf8OfUnits(s), "\xC3\xA4\xE2\x82\xAC\xED\xA0\xBC\xED\xBF\x81");
    EXPECT_EQ(KUtf8Of(s), "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8F\x81");
    const KChar lone[] = {0xDC00, u'x', 0xD800};
    EXPECT_EQ(KUtf8Of(KString(lone, 3)), "\xED\xB0\x80x\xED\xA0\x80");
    EXPECT_EQ(KUtf8Of(KString(u"plain")), "plain");
}

}  // namespace
