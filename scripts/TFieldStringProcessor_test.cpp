#include "TFieldStringProcessor.h"

#include <gtest/gtest.h>

#include <string>

#include "KUtf8.h"

namespace {

std::u16string Process(const std::u16string& value, const char16_t* process) {
    KString text(15, kProcessedLimit);
    text.Append(value.data(), static_cast<int32_t>(value.size()));
    KString processText(process ? process : u"");
    ProcessField(text, process ? &processText : nullptr);
    return std::u16string(text.Chars(), text.Length());
}

TEST(FormatStage, PrecisionWidthAndJustification) {
    EXPECT_EQ(Process(u"0930", u"%.2s:%.2s"), u"09:30");
    EXPECT_EQ(Process(u"0930", u"%2s:%2s"), u"0930:  ");
    EXPECT_EQ(Process(u"Marathon", u"%.3s"), u"Mar");
    EXPECT_EQ(Process(u"42", u"%6s"), u"    42");
    EXPECT_EQ(Process(u"42", u"%-6s|"), u"42    |");
    EXPECT_EQ(Process(u"abcdef", u"%10.2s"), u"ab");
    EXPECT_EQ(Process(u"abc", u"no value"), u"no value");
    EXPECT_EQ(Process(u"abc", u"100%%"), u"100%");
    EXPECT_EQ(Process(u"abc", u"x%"), u"x");
    EXPECT_EQ(Process(u"abc", u"%d%5x[%s]"), u"[abc]");
    EXPECT_EQ(Process(u"abcdef", u"%.1s%.0s%s"), u"abcdef");
}

TEST(FormatStage, ValueIsInterpretedByTheEscapeStage) {
    EXPECT_EQ(Process(u"C:\\Data", u"%s"), u"C:ta");
    EXPECT_EQ(Process(u"C:\\Data", nullptr), u"C:ta");
    EXPECT_EQ(Process(u"  ab  ", u"%s\\L0\\P0"), u"ab");
    EXPECT_EQ(Process(u"  ab  cd ", u"%s\\L0\\X5\\P0"), u"ab cd ");  // trims the first 5 only
    EXPECT_EQ(Process(u"x", u"%s\\P1"), u"x");
    EXPECT_EQ(Process(u"x", u"%s\\F0"), u"x");
}

TEST(FormatStage, RegistersSurviveBetweenValues) {
    const int32_t before = TheFieldProcessor().Register(9);
    Process(u"", u"\\+9");
    Process(u"", u"\\+9");
    EXPECT_EQ(TheFieldProcessor().Register(9), before + 2);
    TheFieldProcessor().SetRegister(9, 6);
    EXPECT_EQ(Process(u"heat ", u"%s\\+9\\X3\\U2\\O9"), u"heat 007");
}

TEST(FormatStage, EnormousWidthIsBounded) {
    EXPECT_EQ(Process(u"x", u"%999999999999s").size(), static_cast<size_t>(kProcessedLimit));
    EXPECT_EQ(Process(u"x", u"%-2000000000s|").size(), static_cast<size_t>(kProcessedLimit));
}

TEST(FormatStage, ScratchIsLeftEmpty) {
    Process(u"abc", u"%s%s");
    EXPECT_TRUE(TheFieldProcessor().Scratch().IsEmpty());
}

}  // namespace
