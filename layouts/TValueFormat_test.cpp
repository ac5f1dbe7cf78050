#include "TValueFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "KTestSupport.h"

namespace {

std::string Format(const std::string& format, const std::string& value) {
    KString out;
    TAppendValueFormat(out, KTestText(format), KTestText(value));
    return KUtf8Of(out);
}

TEST(TValueFormat, TheValueTakesTheFirstStringConversion) {
    EXPECT_EQ(Format("%s", "12.5"), "12.5");
    EXPECT_EQ(Format("Lane %s", "4"), "Lane 4");
    EXPECT_EQ(Format("100%% %s", "x"), "100% x");
    EXPECT_EQ(Format("no conversion", "4"), "no conversion");
    EXPECT_EQ(Format("%s.tga", "12"), "12.tga");
}

TEST(TValueFormat, WidthAndPrecisionWorkAsForStrings) {
    EXPECT_EQ(Format("[%5s]", "ab"), "[   ab]");
    EXPECT_EQ(Format("[%-5s]", "ab"), "[ab   ]");
    EXPECT_EQ(Format("[%.2s]", "abcdef"), "[ab]");
    EXPECT_EQ(Format("[%4.1s]", "abc"), "[   a]");
    EXPECT_EQ(Format("[%ls]", "abc"), "[abc]");
}

TEST(TValueFormat, ConversionsWithoutAnArgumentTakeAnEmptyString) {
    // A user's text must never make the formatter read arguments that are not there.
    EXPECT_EQ(Format("%s and %s", "a"), "a and ");
    EXPECT_EQ(Format("%d|%x|%n|%p|%s", "v"), "||||v");
    EXPECT_EQ(Format("[%3d]", "v"), "[   ]");
    EXPECT_EQ(Format("[%*s]", "v"), "[s]");  // a * width has no argument to take
    EXPECT_EQ(Format("end %", "v"), "end ");
    EXPECT_EQ(Format("end %-08.", "v"), "end ");
}

TEST(TValueFormat, HugeWidthsAreCapped) {
    const std::string out = Format("%2000000000s", "x");
    EXPECT_EQ(out.size(), size_t(kMaxFormatWidth));
    EXPECT_EQ(out.back(), 'x');
    EXPECT_EQ(Format("%.99999999999999s", "abc"), "abc");
}

}  // namespace
