#include "KStringProcessor.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "KUtf8.h"

namespace {

class EscapeStage : public ::testing::Test {
  protected:
    std::u16string Run(const std::u16string& input) {
        KString in(input.data(), static_cast<int32_t>(input.size()));
        KString out(15, 1 << 16);
        engine.ProcessEscapes(out, in);
        EXPECT_EQ(out.Start(), 0);
        return std::u16string(out.Chars(), out.Length());
    }
    KStringProcessor engine{10};
};

TEST_F(EscapeStage, CharacterEscapesNeedLowerCaseHex) {
    EXPECT_EQ(Run(u"\\02x\\0dy\\ff"), u"\x02x\ry\xff");
    EXPECT_EQ(Run(u"\\0D"), u"D");     // "\0" is a command without operand
    EXPECT_EQ(Run(u"\\5c"), u"\\");    // the only way to a backslash
    EXPECT_EQ(Run(u"a\\"), u"a");      // a lone trailing backslash is dropped
    EXPECT_EQ(Run(u"\\Data"), u"ta");  // command D, modifier a, no operand
    EXPECT_EQ(Run(u"\\0"), u"");
}

TEST_F(EscapeStage, WorkedExamples) {
    EXPECT_EQ(Run(u"AB\\L1C"), u"ACB");
    EXPECT_EQ(Run(u"\\X5\\I0"), u"     ");
    EXPECT_EQ(Run(u"12\\L0\\X5\\I0"), u"   12");
    EXPECT_EQ(Run(u"41\\L0\\X2\\S0\\D0\\+0\\X2\\U2\\O0"), u"42");
    EXPECT_EQ(Run(u"abcdef\\X3\\B0"), u"abc");
    EXPECT_EQ(Run(u"abcdef\\L4\\X2\\D0"), u"ab");
}

TEST_F(EscapeStage, CursorCommands) {
    EXPECT_EQ(Run(u"abc\\L0\\R1X"), u"aXbc");
    EXPECT_EQ(Run(u"abc\\L9\\R9X"), u"abcX");  // moves are clipped
    EXPECT_EQ(Run(u"abc\\L2\\D0"), u"a");
    EXPECT_EQ(Run(u"abc\\L2\\B0"), u"bc");
    EXPECT_EQ(Run(u"abcd\\L2\\B1"), u"acd");
    EXPECT_EQ(Run(u"ab\\I3c"), u"abc   ");         // inserted after the cursor
    EXPECT_EQ(Run(u"ab\\X\\2a\\Ic3"), u"ab***");   // fill code 0x2a
    EXPECT_EQ(Run(u"abcdef\\X9\\B0"), u"abcdef");  // already shorter than X
}

TEST_F(EscapeStage, ArithmeticOnRegisters) {
    Run(u"\\X7\\=1\\X3\\*1\\X4\\-1");
    EXPECT_EQ(engine.Register(1), 17);
    Run(u"\\X5\\/1\\U1\\=2\\X\\ff\\+2");
    EXPECT_EQ(engine.Register(1), 3);
    EXPECT_EQ(engine.Register(2), 258);
    Run(u"\\X4\\<2\\X\\0c\\&2\\~3\\X1\\>3\\X2\\#1\\X6\\^1\\X8\\|1");
    EXPECT_EQ(engine.Register(2), 0);   // 4128 & 12
    EXPECT_EQ(engine.Register(3), -1);  // ~0 >> 1 keeps the sign
    EXPECT_EQ(engine.Register(1), 15);  // (3 % 2) ^ 6 | 8
    Run(u"\\+4\\+4");                   // no argument adds 1
    EXPECT_EQ(engine.Register(4), 2);
    Run(u"\\X0\\/4\\X0\\#4");
    EXPECT_EQ(engine.Register(4), 0);
    Run(u"\\+5\\X\\21\\<5");  // 1 << (33 mod 32)
    EXPECT_EQ(engine.Register(5), 2);
}

TEST_F(EscapeStage, SmallestValueByMinusOneDoesNotTrap) {
    engine.SetRegister(0, INT_MIN);
    engine.SetRegister(1, -1);
    engine.SetRegister(2, INT_MIN);
    Run(u"\\U1\\/0\\U1\\#2");
    EXPECT_EQ(engine.Register(0), INT_MIN);
    EXPECT_EQ(engine.Register(2), 0);
    engine.SetRegister(3, INT_MAX);
    Run(u"\\+3");
    EXPECT_EQ(engine.Register(3), INT_MIN);
}

TEST_F(EscapeStage, ArgumentsAreUsedOnceAndCarryOverLiterals) {
    // X survives literals and escapes, then the I command uses it up.
    EXPECT_EQ(Run(u"\\X4ab\\41\\I0\\I0"), u"abA ");
    // An unknown command clears X: the I then inserts its operand's count.
    EXPECT_EQ(Run(u"\\X9\\Q1\\I2"), u"  ");
    // U and X are independent and both kept until a command uses them.
    engine.SetRegister(6, 3);
    EXPECT_EQ(Run(u"x\\U6\\X9\\R0\\U6\\I0|"), u"x|   ");
}

TEST_F(EscapeStage, ScanReadsAheadWithoutMoving) {
    Run(u"AB\\L0\\X2\\U1\\S1\\X2\\U2\\S2");
    EXPECT_EQ(engine.Register(1), 0x4241);
    EXPECT_EQ(engine.Register(2), 0x4142);
    EXPECT_EQ(Run(u"-17x\\L0\\X9\\S3"), u"-17x");
    EXPECT_EQ(engine.Register(3), -17);
    Run(u"zz\\L0\\X2\\S3");  // no digit: unchanged
    EXPECT_EQ(engine.Register(3), -17);
    Run(u"A\\L0\\X3\\U1\\S4");  // past the end counts as 0
    EXPECT_EQ(engine.Register(4), 0x41);
}

TEST_F(EscapeStage, OutputInEveryForm) {
    engine.SetRegister(0, 0x414243);
    // Each character keeps the low 16 bits of the shifted register.
    EXPECT_EQ(Run(u"\\X3\\O0"), u"\u4243\u4142\u0041");
    EXPECT_EQ(Run(u"\\X3\\U1\\O0"), u"\u0041\u4142\u4243");
    EXPECT_EQ(Run(u"\\O0"), u"\u4243");
    engine.SetRegister(2, 0x0102);
    EXPECT_EQ(Run(u"\\X2\\U1\\O2"), u"\u0001\u0102");
    EXPECT_EQ(Run(u"\\X0\\O0"), u"");
    engine.SetRegister(1, 7);
    EXPECT_EQ(Run(u"\\X3\\U2\\O1|"), u"007|");
    EXPECT_EQ(Run(u"\\X3\\U4\\O1|"), u"007|");
    engine.SetRegister(1, -5);
    EXPECT_EQ(Run(u"\\X3\\U2\\O1"), u"-00");  // keeps the first k characters
    engine.SetRegister(1, -1);
    EXPECT_EQ(Run(u"\\X6\\O1"), u"\uffff\uffff\uffff\uffff\uffff\uffff");
}

TEST_F(EscapeStage, SpareRegisterTakesEveryOtherIndex) {
    Run(u"\\X\\0c\\=\\0a");  // register 10
    EXPECT_EQ(engine.Register(10), 12);
    EXPECT_EQ(engine.Register(200), 12);
    Run(u"\\+\\ff");
    EXPECT_EQ(engine.Register(10), 13);
    EXPECT_EQ(engine.Register(9), 0);
}

TEST_F(EscapeStage, HugeCountsStayWithinTheOutputLimit) {
    engine.SetRegister(0, INT_MAX);
    EXPECT_EQ(Run(u"\\U0\\I0x").size(), 1u << 16);
    engine.SetRegister(0, INT_MIN);
    EXPECT_EQ(Run(u"ab\\Ui0\\Xi0\\I0\\U0\\L0\\U0\\R0"), u"ab");
}

}  // namespace
