#include "KString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "KUtf8.h"

namespace {

std::string Text(const KString& s) {
    return KUtf8Of(s);
}

// A growable string holding text (a plain literal would make a view).
KString Own(const char16_t* text) {
    KString s;
    s.Append(text);
    return s;
}

KString Grow(const char* text) {
    KString s;
    s.AppendNarrow(text);
    return s;
}

TEST(KString, FixedCapacityCutsSilently) {
    KString15 s;
    s.Append(u"abcdefghijklmnopqrst");
    EXPECT_EQ(Text(s), "abcdefghijklmno");
    s.AppendChar(u'z');
    s.Insert(u"12", 3);
    s.InsertChars(u'-', 0, 4);
    EXPECT_EQ(Text(s), "abcdefghijklmno");
    s.Delete(0, 13);
    s.Insert(u"XYZW", 1);
    EXPECT_EQ(Text(s), "nXYZWo");
    EXPECT_EQ(s.Capacity(), 15);
}

TEST(KString, GrowableDoublesUpToItsLimit) {
    KString s(4, 10);
    s.Append(u"abcdefghijklmnop");
    EXPECT_EQ(Text(s), "abcdefghij");
    EXPECT_EQ(s.Capacity(), 10);

    KString fixedAtStart(5, 0);
    fixedAtStart.Append(u"abcdefgh");
    EXPECT_EQ(Text(fixedAtStart), "abcde");

    KString big(1);
    for (int i = 0; i < 1000; ++i) big.AppendChar(static_cast<KChar>(u'a' + i % 26));
    EXPECT_EQ(big.Length(), 1000);
    EXPECT_EQ(big.CharAt(999), u'a' + 999 % 26);
}

TEST(KString, AppendingOrInsertingItselfIsSafe) {
    KString s(2);
    s.Append(u"abc");
    s.Append(s);
    EXPECT_EQ(Text(s), "abcabc");
    s.Insert(s, 1);
    EXPECT_EQ(Text(s), "aabcabcbcabc");
}

TEST(KString, CursorHidesAndRewinds) {
    KString s = Grow("hello world");
    EXPECT_EQ(s.Seek(2, 1), 2);
    EXPECT_EQ(Text(s), "llo world");
    EXPECT_EQ(s.CharAt(0), u'l');
    EXPECT_EQ(s.Seek(-3, 2), 8);
    EXPECT_EQ(Text(s), "rld");
    EXPECT_EQ(s.Seek(100, 1), 11);
    EXPECT_EQ(s.Seek(-100, 1), 0);
    s.Seek(2, 1);
    s.Seek(0, 0);
    EXPECT_EQ(Text(s), "hello world");
    EXPECT_EQ(s.Truncate(5), 5);
    EXPECT_EQ(s.Truncate(50), 5);
    EXPECT_EQ(Text(s), "hello");
    EXPECT_EQ(s.CharAt(-1), 0);
    EXPECT_EQ(s.CharAt(5), 0);
}

TEST(KString, ViewsAreNeverWritten) {
    const KChar text[] = u"abc";
    KString view(text);
    EXPECT_EQ(view.Limit(), KString::kView);
    view.SetCharAt(0, u'z');
    view.Append(u"def");
    view.Delete(0, 1);
    view.ToUpper();
    view.Insert(u"q", 0);
    EXPECT_EQ(Text(view), "abc");
    EXPECT_EQ(std::u16string(text), u"abc");
    KString part(text + 1, 1);
    EXPECT_EQ(Text(part), "b");
}

TEST(KString, CompareFlagsAndPrefixes) {
    KString abc(u"abc");
    KString ABC(u"ABC");
    EXPECT_EQ(abc.Compare(ABC, -1, KString::kIgnoreCase), 0);
    EXPECT_EQ(abc.Compare(ABC, -1, 0), 1);
    EXPECT_EQ(abc.Compare(ABC, -1, KString::kSwapResult), -1);
    KString ab(u"ab");
    EXPECT_EQ(ab.Compare(abc, 2, KString::kIgnoreCase), 0);
    EXPECT_EQ(ab.Compare(abc, 3, KString::kIgnoreCase), -1);
    EXPECT_EQ(abc.Compare(ab, -1, 0), 1);
    EXPECT_EQ(KString(u"b").Compare(abc, -1, KString::kLengthFirst), -1);
    EXPECT_EQ(KString(u"b").Compare(abc, -1, 0), 1);
    EXPECT_TRUE(abc.Equals(u"abc"));
    EXPECT_FALSE(abc.Equals(ABC));
    EXPECT_TRUE(KString(u"Header=x").StartsWithIgnoreCase(u"header="));
    // Non-ASCII letters fold through the case table.
    EXPECT_EQ(KString(u"ÄÖÜΣ").Compare(u"äöüσ", -1, KString::kIgnoreCase), 0);
}

TEST(KString, CaseMappingInPlace) {
    KString s = Own(u"Straße Ärger ΩMEGA 123");
    s.ToUpper();
    EXPECT_EQ(s.Compare(u"STRAßE ÄRGER ΩMEGA 123"), 0);  // ß has no one-to-one upper case
    s.ToLower();
    EXPECT_EQ(s.Compare(u"straße ärger ωmega 123"), 0);
    EXPECT_EQ(KToLower(u'A'), u'a');
    EXPECT_EQ(KToUpper(u'z'), u'Z');
    EXPECT_EQ(KToLower(u'1'), u'1');
}

TEST(KString, WhiteSpaceClassAndTrimming) {
    for (KChar c : {0x09, 0x0D, 0x20, 0xA0, 0x2000, 0x200B, 0x2028, 0x2029, 0x3000, 0xFEFF})
        EXPECT_TRUE(KIsWhiteSpace(c)) << int(c);
    for (KChar c : {0x08, 0x0E, 0x1F, 0x21, 0x85, 0x200C, 0x202F})
        EXPECT_FALSE(KIsWhiteSpace(c)) << int(c);
    KString s = Own(u"  \t ab c \u3000 ");
    s.TrimLeft();
    EXPECT_EQ(s.Compare(u"ab c \u3000 "), 0);
    s.TrimRight();
    EXPECT_EQ(Text(s), "ab c");
    KString spaces = Grow("    ");
    spaces.TrimRight();
    EXPECT_TRUE(spaces.IsEmpty());
    KString empty;
    empty.TrimLeft();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(KString, FieldSplitsQuotedAndUnquotedColumns) {
    KString list(u"a, \"b,c\" ,d");
    auto field = [](const KString& s, int i, KChar quote = u'"') {
        KString out;
        return s.Field(out, i, u',', quote) ? Text(out) : std::string("<none>");
    };
    EXPECT_EQ(field(list, 0), "a");
    EXPECT_EQ(field(list, 1), "b,c");
    EXPECT_EQ(field(list, 2), "d");
    EXPECT_EQ(field(list, 3), "<none>");
    EXPECT_EQ(field(list, 1, 0), " \"b");

    EXPECT_EQ(field(KString(u"x\"y\",z"), 0), "x\"y\"");
    EXPECT_EQ(field(KString(u""), 0), "");
    EXPECT_EQ(field(KString(u""), 1), "<none>");
    EXPECT_EQ(field(KString(u"a,"), 1), "");
    // A quote followed by more text is content; the next one closes.
    EXPECT_EQ(field(KString(u"\"a\"b\" , c"), 0), "a\"b");
    // No valid closing quote: the column is unquoted.
    EXPECT_EQ(field(KString(u"\"a\"b,c"), 0), "\"a\"b");
    EXPECT_EQ(field(KString(u"\"a\"b,c"), 1), "c");
    EXPECT_EQ(field(KString(u"\"stop=,\""), 0), "stop=,");

    KString out;
    KString longer(u"abcdef,ghi");
    EXPECT_TRUE(longer.Field(out, 0, u',', u'"', 4));
    EXPECT_EQ(Text(out), "abcd");
    EXPECT_FALSE(longer.Field(out, 1, u',', u'"', 4));
    out.Append(u"!");
    EXPECT_TRUE(longer.Field(out, 1));  // appends to what out holds
    EXPECT_EQ(Text(out), "abcd!ghi");
}

TEST(KString, NextFieldWalksTheSameFields) {
    KString list(u"a, \"b,c\" ,d,");
    std::vector<std::string> fields;
    KString out;
    for (int32_t at = 0; list.NextField(out, &at); out.Empty()) fields.push_back(Text(out));
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "b,c", "d", ""}));
    int32_t at = 0;
    EXPECT_TRUE(KString(u"").NextField(out, &at));
    EXPECT_FALSE(KString(u"").NextField(out, &at));
}

TEST(KString, FieldOnManyQuotesStaysLinear) {
    KString s(200000, KString::kMaxLimit);
    s.AppendChar(u'"');
    for (int i = 0; i < 100000; ++i) s.Append(u"\"x");
    KString out;
    EXPECT_TRUE(s.Field(out, 0));
    EXPECT_EQ(out.Length(), s.Length());
}

TEST(KString, ParseIntConsumesWhatItReads) {
    auto parse = [](const char* text, int base, int32_t* value, std::string* rest) {
        KString s = Grow(text);
        bool ok = s.ParseInt(value, base);
        *rest = Text(s);
        return ok;
    };
    int32_t v = 99;
    std::string rest;
    EXPECT_TRUE(parse("0x1F", 0, &v, &rest));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(parse("017", 0, &v, &rest));
    EXPECT_EQ(v, 15);
    EXPECT_TRUE(parse("-12z", 0, &v, &rest));
    EXPECT_EQ(v, -12);
    EXPECT_EQ(rest, "z");
    EXPECT_TRUE(parse("0", 0, &v, &rest));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(parse("09", 0, &v, &rest));  // octal stops at 9
    EXPECT_EQ(v, 0);
    EXPECT_EQ(rest, "9");
    v = 7;
    EXPECT_FALSE(parse("-", 0, &v, &rest));
    EXPECT_EQ(rest, "");
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(parse("0x", 0, &v, &rest));
    EXPECT_FALSE(parse("+-1", 10, &v, &rest));
    EXPECT_EQ(rest, "-1");
    EXPECT_TRUE(parse("ff", 16, &v, &rest));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(parse("4294967297", 10, &v, &rest));  // wraps without trapping
    EXPECT_EQ(v, 1);
}

TEST(KString, ParseRealDecimalOnly) {
    KString s(u"-2.50x");
    double d = 0;
    EXPECT_TRUE(s.ParseReal(&d));
    EXPECT_DOUBLE_EQ(d, -2.5);
    EXPECT_EQ(Text(s), "x");
    KString half(u".5");
    EXPECT_TRUE(half.ParseReal(&d));
    EXPECT_DOUBLE_EQ(d, 0.5);
    KString letters(u"abc");
    EXPECT_FALSE(letters.ParseReal(&d));
    EXPECT_EQ(letters.Length(), 3);
    KString exponent(u"1e5");
    EXPECT_TRUE(exponent.ParseReal(&d));
    EXPECT_DOUBLE_EQ(d, 1);
}

TEST(KString, NumbersToText) {
    KString s;
    s.AppendInt(-42).AppendChar(u' ').AppendUnsigned(4000000000u).AppendChar(u' ');
    s.AppendInt(7, "%03d").AppendChar(u' ').AppendPoint({3, -4});
    EXPECT_EQ(Text(s), "-42 4000000000 007 (3,-4)");
    KString r;
    r.AppendRealDot(1.5);
    EXPECT_EQ(Text(r), "1.500000");
    KString huge;
    huge.AppendReal(1e300);
    EXPECT_EQ(huge.Length(), 308);
}

TEST(KString, AppendRealDotUsesDotWhateverTheLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    KString comma;
    comma.AppendReal(2.25, "%.2lf");
    KString dot;
    dot.AppendRealDot(2.25, "%.2lf");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(Text(comma), "2,25");
    EXPECT_EQ(Text(dot), "2.25");
}

TEST(KString, EditingOperations) {
    KString s = Grow("abcdef");
    EXPECT_EQ(s.Find(u'c'), 2);
    EXPECT_EQ(s.Find(u'c', 3), -1);
    EXPECT_EQ(s.FindLast(u'a'), 0);
    EXPECT_EQ(s.FindLast(u'f', 4), -1);
    KString sub;
    s.SubString(sub, 4, 10);
    s.SubString(sub, -1, 2);
    s.SubString(sub, 6, 1);
    EXPECT_EQ(Text(sub), "ef");
    s.Insert(u"XY", 2);
    s.Insert(u"!", 100);
    s.Insert(u"?", -1);
    EXPECT_EQ(Text(s), "abXYcdef!");
    s.InsertChars(u'.', 100, 2);
    s.InsertChars(u'.', -1, 2);
    s.InsertChars(u'.', 0, 0);
    EXPECT_EQ(Text(s), "abXYcdef!..");
    s.Delete(2, 2);
    s.Delete(7, 100);
    s.Delete(20, 1);
    EXPECT_EQ(Text(s), "abcdef!");
    s.Reverse(1, 3);
    EXPECT_EQ(Text(s), "adcbef!");
    s.Reverse(5, 100);
    EXPECT_EQ(Text(s), "adcbe!f");
    s.SetCharAt(0, u'Z');
    s.SetCharAt(7, u'Q');
    EXPECT_EQ(Text(s), "Zdcbe!f");
}

TEST(KString, NewlineEscapesKeepTheLength) {
    KString s = Own(u"one\\ntwo\\nthree\\");
    EXPECT_TRUE(s.HasNewlineEscape());
    int32_t length = s.Length();
    EXPECT_EQ(s.ExpandNewlineEscapes(), 2);
    EXPECT_EQ(s.Length(), length);
    EXPECT_EQ(Text(s), "one\r\ntwo\r\nthree\\");
    EXPECT_FALSE(s.HasNewlineEscape());
}

TEST(KString, CopiesAndConversions) {
    KString31 fixed(KString(u"fixed text"));
    KString copy(fixed);
    fixed.Append(u"!");
    EXPECT_EQ(Text(copy), "fixed text");
    KString15 small;
    small = fixed;
    EXPECT_EQ(Text(small), "fixed text!");
    char narrow[8];
    EXPECT_STREQ(KString(u"a\u0141bcdefghij").ToNarrow(narrow, 4), "aAbc");
    EXPECT_STREQ(KString(u"whole").ToNarrow().get(), "whole");
    EXPECT_EQ(std::u16string(KString(u"wide").ToWide().get()), u"wide");
    EXPECT_EQ(std::u16string(small.CStr()), u"fixed text!");
}

}  // namespace
